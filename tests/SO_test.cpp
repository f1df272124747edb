// The bounded text builder: what ends up in the bound array, and nothing
// outside it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "SO.h"

namespace {

using namespace std::string_literals;

struct Case {
  const char* name;
  std::uint32_t m;                          // size of the bound array
  std::function<void(SO::TBuffer&)> write;  // the appends after Init
  std::string bytes;                        // all m bytes of the array afterwards
  std::uint32_t l;
};

// Bytes the builder never wrote keep this value.
constexpr char untouched = '#';

const Case cases[] = {
    {"EmptyAfterInit", 4, [](SO::TBuffer&) {}, "\0###"s, 0},
    {"CutAtEndWithoutTerminator", 5,
     [](SO::TBuffer& b) {
       SO::WrStr(b, "ABCDEFG");
       SO::WrChar(b, 'X');
       SO::WrCharRep(b, 'Y', 3);
     },
     "ABCDE"s, 5},
    {"FitsWithTerminator", 6, [](SO::TBuffer& b) { SO::WrStr(b, "ABCDE"); }, "ABCDE\0"s, 5},
    {"RightAligned", 8,
     [](SO::TBuffer& b) {
       SO::WrStr(b, "AB");
       SO::WrLngCard(b, 42, 5);
     },
     "AB   42\0"s, 7},
    {"LeftAligned", 8,
     [](SO::TBuffer& b) {
       SO::WrStr(b, "AB");
       SO::WrLngCard(b, 42, -5);
     },
     "AB42   \0"s, 7},
    {"FillTakesTheLastRoom", 4,
     [](SO::TBuffer& b) {
       SO::WrStr(b, "AB");
       SO::WrLngCard(b, 42, 5);
     },
     "AB  "s, 4},
    {"LeftFillCutAtEnd", 5,
     [](SO::TBuffer& b) {
       SO::WrStr(b, "AB");
       SO::WrLngCard(b, 42, -5);
     },
     "AB42 "s, 5},
    {"WidthOneIsThePlainNumber", 8,
     [](SO::TBuffer& b) {
       SO::WrLngCard(b, 123, 1);
       SO::WrLngCard(b, 0, 1);
     },
     "1230\0###"s, 4},
    {"LargestNumber", 12, [](SO::TBuffer& b) { SO::WrLngCard(b, 4294967295U, 1); }, "4294967295\0#"s, 10},
    {"TooWideWrittenWhole", 12,
     [](SO::TBuffer& b) {
       SO::WrLngCard(b, 12345, 3);
       SO::WrLngCard(b, 12345, 0);
     },
     "1234512345\0#"s, 10},
    {"ChopReplacesTooWide", 8,
     [](SO::TBuffer& b) {
       b.c.c = true;
       SO::WrLngCard(b, 12345, 3);
       SO::WrLngCard(b, 12345, 0);
       SO::WrLngCard(b, 12345, -2);
       SO::WrLngCard(b, 42, 3);
     },
     "????? 42"s, 8},
    {"FillSettings", 8,
     [](SO::TBuffer& b) {
       b.c.p = '0';
       b.c.s = '.';
       SO::WrLngCard(b, 7, 3);
       SO::WrLngCard(b, 7, -3);
     },
     "0077..\0#"s, 6},
    {"OneCharacterArray", 1,
     [](SO::TBuffer& b) {
       SO::WrChar(b, 'A');
       SO::WrStr(b, "BC");
       SO::WrLngCard(b, 9, 1);
     },
     "A"s, 1},
    {"OneCharacterArrayStaysEmpty", 1, [](SO::TBuffer& b) { SO::WrCharRep(b, 'A', 0); }, "\0"s, 0},
    {"StringEndsAtItsNul", 6,
     [](SO::TBuffer& b) {
       const char s[] = {'A', 'B', '\0', 'C', 'D'};
       SO::WrStr(b, s);
     },
     "AB\0###"s, 2},
    {"StringWithoutNulEndsAtItsEnd", 6,
     [](SO::TBuffer& b) {
       const char s[] = {'A', 'B', 'C'};
       SO::WrStr(b, s);
       SO::WrChar(b, 'D');
     },
     "ABCD\0#"s, 4},
    {"NulCharacterIsStoredAndCounted", 4,
     [](SO::TBuffer& b) {
       SO::WrChar(b, '\0');
       SO::WrChar(b, 'A');
     },
     "\0A\0#"s, 2},
    {"RepeatZeroAndCut", 4,
     [](SO::TBuffer& b) {
       SO::WrCharRep(b, 'x', 0);
       SO::WrStr(b, "AB");
       SO::WrCharRep(b, 'x', 0);
       SO::WrCharRep(b, 'y', 3);
     },
     "AByy"s, 4},
    {"InitStartsAgain", 4,
     [](SO::TBuffer& b) {
       SO::WrStr(b, "ABCD");
       SO::Init(b, b.s, b.m);
       SO::WrChar(b, 'Z');
     },
     "Z\0CD"s, 1},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Text : public testing::TestWithParam<Case> {};

TEST_P(Text, ArrayAndLength) {
  const Case& c = GetParam();
  // Guard bytes after the array catch any write past its end.
  char a[40];
  std::memset(a, untouched, sizeof a);
  SO::TBuffer b;
  SO::Init(b, a, c.m);
  c.write(b);
  EXPECT_EQ(std::string(a, c.m), c.bytes);
  EXPECT_EQ(b.l, c.l);
  EXPECT_EQ(std::string(a + c.m, sizeof a - c.m), std::string(sizeof a - c.m, untouched));
}

INSTANTIATE_TEST_SUITE_P(SO, Text, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& i) { return i.param.name; });

}  // namespace
