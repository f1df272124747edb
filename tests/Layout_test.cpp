// The record layout: descriptor table, builder and both listings.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "Fenwold.h"
#include "Lib3.h"
#include "Support.h"

namespace {

using Fenwold::TOp;
using Fenwold::TRecDesc;
using Fenwold::TStep;
using TestKit::Capture;
using TestKit::Lines;
using Types::TStr;

using Steps = std::vector<TStep>;

TStep Beg(TStr s) { return {TOp::beg, s, 0, 0}; }
TStep Add(TStr s, std::uint32_t d, std::uint32_t l) { return {TOp::add, s, d, l}; }
TStep End(TStr s, std::uint32_t d) { return {TOp::end, s, d, 0}; }

// A generated name, kept alive for the whole test program.
TStr Keep(std::string s) {
  static std::deque<std::string> pool;
  const std::string& k = pool.emplace_back(std::move(s));
  return TStr(k.data(), static_cast<std::uint32_t>(k.size()));
}

// n fields of one byte named d2, d3, ... after their descriptor numbers.
Steps Fields(std::uint32_t n) {
  Steps s;
  for (std::uint32_t k = 2; k < n + 2; ++k)
    s.push_back(Add(Keep(std::string("d").append(std::to_string(k))), 0, 1));
  return s;
}

// n records, each open inside the one before, all named r.
Steps Nested(std::uint32_t n) { return Steps(n, Beg("r")); }

void Build(const Steps& s) {
  Fenwold::InitState();
  Fenwold::Build(s);
}

// Puts garbage into the record image so that the next Build must clear it.
void Spoil() {
  Build({Add("x", 0, Fenwold::maxImage)});
  std::memset(Fenwold::buf, 0xAA, Fenwold::len);
}

std::string Name(const TRecDesc& r) { return std::string(r.str, Types::Length(r.str)); }

// ---- Descriptor table ----

TEST(Table, InitStateHoldsTheRootAlone) {
  Build({Beg("tel"), End("tel", 2)});
  Fenwold::InitState();
  ASSERT_EQ(Fenwold::cnt, 1);
  const TRecDesc& r = *Fenwold::root;
  EXPECT_EQ(Fenwold::arr[1], &r);
  EXPECT_EQ(Fenwold::arr[2], nullptr);
  EXPECT_EQ(r.idx, 1);
  EXPECT_EQ(Name(r), "/");
  EXPECT_EQ(r.ofs, 0U);
  EXPECT_EQ(r.len, 0U);
  EXPECT_EQ(r.dim, 0U);
  EXPECT_EQ(r.fst, nullptr);
  EXPECT_EQ(r.nxt, nullptr);
  EXPECT_EQ(Fenwold::buf, nullptr);
  EXPECT_EQ(Fenwold::len, 0U);
}

TEST(Table, BuiltInLayout) {
  struct Row {
    std::uint8_t idx;
    const char* str;
    std::uint32_t ofs, len, dim;
    std::uint8_t fst, nxt;
  };
  const Row rows[] = {
      {1, "/", 0, 36, 0, 2, 0},    {2, "tel", 0, 32, 0, 3, 10}, {3, "a", 0, 1, 0, 0, 4},
      {4, "b", 1, 2, 0, 5, 6},     {5, "c", 1, 2, 0, 0, 0},     {6, "d", 3, 4, 0, 0, 7},
      {7, "e", 7, 24, 12, 8, 9},   {8, "f", 7, 2, 0, 0, 0},     {9, "e0", 31, 1, 0, 0, 0},
      {10, "bla", 32, 4, 2, 0, 0},
  };
  Spoil();
  Fenwold::InitState();
  Fenwold::Build();
  ASSERT_EQ(Fenwold::cnt, 10);
  for (const Row& w : rows) {
    const TRecDesc& r = *Fenwold::arr[w.idx];
    SCOPED_TRACE(w.str);
    EXPECT_EQ(r.idx, w.idx);
    EXPECT_EQ(Name(r), w.str);
    EXPECT_EQ(r.ofs, w.ofs);
    EXPECT_EQ(r.len, w.len);
    EXPECT_EQ(r.dim, w.dim);
    EXPECT_EQ(Fenwold::Idx(r.fst), w.fst);
    EXPECT_EQ(Fenwold::Idx(r.nxt), w.nxt);
  }
  EXPECT_EQ(Fenwold::arr[11], nullptr);
  EXPECT_EQ(Fenwold::root, Fenwold::arr[1]);
  ASSERT_EQ(Fenwold::len, 36U);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Fenwold::buf), 36), std::string(36, '\0'));
}

TEST(Table, NewStoresAtMostEightCharactersOnAClearedDescriptor) {
  Build({Beg("tel"), Add("a", 3, 7), End("tel", 2)});
  Fenwold::InitState();
  const TRecDesc& ten = *Fenwold::New("abcdefghij");
  const TRecDesc& eight = *Fenwold::New("ABCDEFGH");
  const TRecDesc& none = *Fenwold::New("");
  EXPECT_EQ(std::string(ten.str, 8), "abcdefgh");
  EXPECT_EQ(std::string(eight.str, 8), "ABCDEFGH");
  EXPECT_EQ(std::string(none.str, 8), std::string(8, '\0'));
  EXPECT_EQ(Fenwold::cnt, 4);
  EXPECT_EQ(Fenwold::arr[3], &eight);
  EXPECT_EQ(eight.idx, 3);
  // The slot held the record "tel" before; nothing of it may survive.
  EXPECT_EQ(ten.ofs, 0U);
  EXPECT_EQ(ten.len, 0U);
  EXPECT_EQ(ten.dim, 0U);
  EXPECT_EQ(ten.fst, nullptr);
  EXPECT_EQ(ten.nxt, nullptr);
}

TEST(Table, NameMatching) {
  Fenwold::InitState();
  const TRecDesc& ten = *Fenwold::New("abcdefghij");
  const TRecDesc& ab = *Fenwold::New("ab");
  const TRecDesc& none = *Fenwold::New("");
  const char unterminated[] = {'a', 'b'};
  EXPECT_FALSE(Fenwold::Match(ten, "abcdefghij"));
  EXPECT_FALSE(Fenwold::Match(ten, "abcdefghi"));
  EXPECT_TRUE(Fenwold::Match(ten, "abcdefgh"));
  EXPECT_FALSE(Fenwold::Match(ten, "abcdefgH"));
  EXPECT_TRUE(Fenwold::Match(ab, "ab"));
  EXPECT_TRUE(Fenwold::Match(ab, unterminated));
  EXPECT_FALSE(Fenwold::Match(ab, "a"));
  EXPECT_FALSE(Fenwold::Match(ab, "abc"));
  EXPECT_FALSE(Fenwold::Match(ab, "AB"));
  EXPECT_TRUE(Fenwold::Match(none, ""));
  EXPECT_FALSE(Fenwold::Match(none, "a"));
  EXPECT_FALSE(Fenwold::Match(ab, ""));
}

TEST(Table, Idx) {
  Fenwold::InitState();
  EXPECT_EQ(Fenwold::Idx(nullptr), 0);
  EXPECT_EQ(Fenwold::Idx(Fenwold::root), 1);
}

TEST(Table, CharacterClasses) {
  struct Class {
    char c;
    bool alp, alpNum;
  };
  const Class cases[] = {
      {'A', true, true},      {'Z', true, true},   {'a', true, true},   {'z', true, true},
      {'_', true, true},      {'0', false, true},  {'9', false, true},  {'@', false, false},
      {'[', false, false},    {'`', false, false}, {'{', false, false}, {'/', false, false},
      {':', false, false},    {'-', false, false}, {' ', false, false}, {'\0', false, false},
      {'\xC4', false, false},
  };
  for (const Class& k : cases) {
    EXPECT_EQ(Fenwold::Alp(k.c), k.alp) << int{k.c};
    EXPECT_EQ(Fenwold::AlpNum(k.c), k.alpNum) << int{k.c};
  }
}

// ---- Builder ----

TEST(Builder, LimitsAreReachable) {
  Build(Fields(127));
  EXPECT_EQ(Fenwold::cnt, 128);
  EXPECT_EQ(Fenwold::len, 127U);

  Steps deep = Nested(64);
  deep.insert(deep.end(), 64, End("r", 0));
  Build(deep);
  EXPECT_EQ(Fenwold::cnt, 65);

  Build({Beg("r"), Add("a", 0, 1), End("r", 0x7FFF), Add("b", 0, 0), Add("c", 1, 1)});
  ASSERT_EQ(Fenwold::len, 32768U);
  EXPECT_EQ(Fenwold::arr[3]->ofs, 0U);
  EXPECT_EQ(Fenwold::arr[4]->ofs, 0x7FFFU);
  EXPECT_EQ(Fenwold::arr[5]->ofs, 0x7FFFU);

  Spoil();
  Build({Add("x", 0, 32768)});
  ASSERT_EQ(Fenwold::len, 32768U);
  const std::string image(reinterpret_cast<const char*>(Fenwold::buf), Fenwold::len);
  EXPECT_EQ(image, std::string(32768, '\0'));
}

struct Failure {
  const char* name;
  Steps steps;
  std::string err;  // the line on standard error, without its line end
};

// What a message becomes in the builder's 128-character message array.
std::string Cut(const std::string& s) { return s.substr(0, 128); }

std::vector<Failure> Failures() {
  Steps tooMany = Fields(127);
  tooMany.push_back(Add("x", 0, 0));
  Steps tooManyBeg = Fields(127);
  tooManyBeg.push_back(Beg("x"));
  Steps dupAtLimit = Fields(127);
  dupAtLimit.push_back(Add("d2", 0, 1));
  const Steps tooDeep = Nested(65);
  Steps bothLimits = Fields(63);
  bothLimits.insert(bothLimits.end(), tooDeep.begin(), tooDeep.end());
  // Empty names keep the path of the 65th record short enough to be seen whole.
  Steps emptyDeep(64, Beg(""));
  emptyDeep.push_back(Beg("x"));
  std::string path = "r";
  for (int k = 1; k < 65; ++k) path += ".r";
  return {
      {"InvalidFirstCharacter", {Beg("tel"), Add("9x", 0, 1)}, "Build.Chk: Invalid field name: '9x'"},
      {"InvalidLaterCharacter", {Add("a-b", 0, 1)}, "Build.Chk: Invalid field name: 'a-b'"},
      {"InvalidRecordName", {Beg("ok"), Beg("t el")}, "Build.Chk: Invalid field name: 't el'"},
      {"DuplicateField",
       {Beg("tel"), Add("a", 0, 1), Beg("b"), Add("c", 0, 2), Add("c", 0, 2)},
       "Build.Chk: Field already exists: 'tel.b.c'"},
      {"DuplicateRecord", {Add("x", 0, 1), Beg("x")}, "Build.Chk: Field already exists: 'x'"},
      {"DuplicateEmptyName", {Beg("tel"), Add("", 0, 1), Add("", 0, 1)}, "Build.Chk: Field already exists"},
      {"DuplicateByFirstEightCharacters",
       {Add("abcdefgh", 0, 1), Add("abcdefgh", 0, 1)},
       "Build.Chk: Field already exists: 'abcdefgh'"},
      {"InvalidBeforeDuplicate", {Add("9", 0, 1), Add("9", 0, 1)}, "Build.Chk: Invalid field name: '9'"},
      {"TooManyFields", tooMany, "New: Too many records"},
      {"TooManyRecords", tooManyBeg, "New: Too many records"},
      {"DuplicateBeforeTableLimit", dupAtLimit, "Build.Chk: Field already exists: 'd2'"},
      {"TableLimitBeforeStackLimit", bothLimits, "New: Too many records"},
      {"StackExhausted", tooDeep, Cut("Build.Enter: Stack exhausted: '" + path + "'")},
      {"StackExhaustedWholePath", emptyDeep, "Build.Enter: Stack exhausted: '" + std::string(64, '.') + "x'"},
      {"EndWithoutRecord", {End("x", 0)}, "Build.End: No active record: 'x'"},
      {"EndAfterAllClosed", {Beg("a"), End("a", 0), End("b", 0)}, "Build.End: No active record: 'b'"},
      {"EndEmptyNameWithoutRecord", {End("", 0)}, "Build.End: No active record"},
      {"NameMismatch", {Beg("tel"), Beg("b"), End("x", 0)}, "Build.End: Name mismatch: 'tel.x'"},
      {"LongRecordNameCannotBeClosed",
       {Beg("abcdefghij"), End("abcdefghij", 0)},
       "Build.End: Name mismatch: 'abcdefghij'"},
      {"IncompleteRecord", {Beg("tel"), Add("a", 0, 1)}, "Build: Incomplete record"},
      {"RootTooLarge", {Add("a", 0, 32768), Add("b", 0, 1)}, "Build: Root record too large"},
      {"RootTooLargeByArray", {Beg("r"), Add("a", 0, 3), End("r", 10923)}, "Build: Root record too large"},
      {"RootOfLargestLength", {Add("a", 0, 0xFFFFFFFF)}, "Build: Root record too large"},
      {"FieldLengthOverflow", {Beg("r"), Add("a", 65536, 65536)}, "Build.Add: Length overflow: 'r.a'"},
      {"FieldOffsetOverflow",
       {Add("a", 0, 0xFFFFFFFF), Beg("r"), Add("b", 0, 1)},
       "Build.Add: Length overflow: 'r.b'"},
      {"RecordLengthOverflow",
       {Beg("o"), Beg("r"), Add("a", 0, 65536), End("r", 65536)},
       "Build.End: Length overflow: 'o.r'"},
      {"OverflowBeforeNameMismatch",
       {Beg("r"), Add("a", 0, 65536), End("x", 65536)},
       "Build.End: Length overflow: 'x'"},
      {"RecordOffsetOverflow",
       {Add("a", 0, 0xFFFFFFF0), Beg("r"), Add("f", 0, 2), End("r", 9)},
       "Build.End: Length overflow: 'r'"},
  };
}

TEST(Builder, EveryErrorEndsTheRunWithItsLine) {
  for (const Failure& f : Failures()) {
    SCOPED_TRACE(f.name);
    const TestKit::Run r = TestKit::RunChild([&] {
      Lib3::Init();
      Fenwold::InitState();
      Fenwold::Build(f.steps);
    });
    EXPECT_EQ(r.err, f.err + "\r\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 255);
  }
}

// ---- Listings ----

std::string Listings() {
  return Capture([] {
    Fenwold::ShowDef();
    Fenwold::Show();
  });
}

TEST(Listing, BuiltInLayout) {
  Fenwold::InitState();
  Fenwold::Build();
  EXPECT_EQ(Listings(), TestKit::layoutTable + TestKit::leafPaths);
}

const char heading[] = "idx str         ofs len dim fst nxt";

struct Listing {
  const char* name;
  Steps steps;
  std::string out;  // ShowDef, then Show
};

const Listing listings[] = {
    {"RootWithoutMembers", {}, Lines({heading, "  1 '/'           0   0   0   0   0", "S /"})},
    {"NameOfEightCharacters",
     {Add("abcdefgh", 0, 1)},
     Lines({heading, "  1 '/'           0   1   0   2   0", "  2 'abcdefgh'    0   1   0   0   0",
            "S /.abcdefgh"})},
    {"LongNamesCutToEight",
     {Add("abcdefghij", 0, 1), Add("abcdefghXY", 0, 2)},
     Lines({heading, "  1 '/'           0   3   0   2   0", "  2 'abcdefgh'    0   1   0   0   3",
            "  3 'abcdefgh'    1   2   0   0   0", "S /.abcdefgh", "S /.abcdefgh"})},
    {"EmptyNames",
     {Add("", 0, 1), Beg("r"), Add("", 2, 1), End("r", 0)},
     Lines({heading, "  1 '/'           0   3   0   2   0", "  2 ''            0   1   0   0   3",
            "  3 'r'           1   2   0   4   0", "  4 ''            1   2   2   0   0", "S /.", "A /.r.[0]",
            "A /.r.[1]"})},
    {"ArrayOfOneElement",
     {Add("x", 1, 2)},
     Lines({heading, "  1 '/'           0   2   0   2   0", "  2 'x'           0   2   1   0   0",
            "A /.x[0]"})},
    {"RecordsWithoutMembers",
     {Beg("r"), End("r", 0), Beg("q"), End("q", 3), Add("z", 0, 0), Add("y", 0, 1)},
     Lines({heading, "  1 '/'           0   1   0   2   0", "  2 'r'           0   0   0   0   3",
            "  3 'q'           0   0   3   0   4", "  4 'z'           0   0   0   0   5",
            "  5 'y'           0   1   0   0   0", "S /.r", "A /.q[0]", "A /.q[1]", "A /.q[2]", "S /.z",
            "S /.y"})},
    {"ArraysMultiply",
     {Add("a", 0, 1), Beg("o"), Add("f", 2, 1), End("o", 2), Add("z", 0, 1)},
     Lines({heading, "  1 '/'           0   6   0   2   0", "  2 'a'           0   1   0   0   3",
            "  3 'o'           1   4   2   4   5", "  4 'f'           1   2   2   0   0",
            "  5 'z'           5   1   0   0   0", "S /.a", "A /.o[0].f[0]", "A /.o[0].f[1]", "A /.o[1].f[0]",
            "A /.o[1].f[1]", "S /.z"})},
    {"LengthOfFiveColumns",
     {Add("big", 0, 32768)},
     Lines({heading, "  1 '/'           032768   0   2   0", "  2 'big'         032768   0   0   0",
            "S /.big"})},
};

void PrintTo(const Listing& l, std::ostream* os) { *os << l.name; }

class Listed : public testing::TestWithParam<Listing> {};

TEST_P(Listed, ShowDefThenShow) {
  Build(GetParam().steps);
  EXPECT_EQ(Listings(), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Layout, Listed, testing::ValuesIn(listings),
                         [](const testing::TestParamInfo<Listing>& i) { return i.param.name; });

TEST(Listing, ThreeDigitDescriptorNumbers) {
  Build(Fields(100));
  const std::string out = Capture(Fenwold::ShowDef);
  EXPECT_EQ(out.substr(0, 74), Lines({heading, "  1 '/'           0 100   0   2   0"}));
  const std::string last = Lines({
      " 99 'd99'        97   1   0   0 100",
      "100 'd100'       98   1   0   0 101",
      "101 'd101'       99   1   0   0   0",
  });
  ASSERT_GE(out.size(), last.size());
  EXPECT_EQ(out.substr(out.size() - last.size()), last);
  EXPECT_EQ(out.size(), 102 * 37U);
}

TEST(Listing, PathOf256CharactersAndNoMore) {
  Steps s = Steps(28, Beg("abcdefgh"));
  s.push_back(Add("ab", 0, 1));   // "/", 28 times ".abcdefgh", ".ab": 256 characters
  s.push_back(Add("abc", 0, 1));  // one more
  s.insert(s.end(), 28, End("abcdefgh", 0));
  std::string path = "/";
  for (int k = 0; k < 28; ++k) path += ".abcdefgh";
  path += ".ab";
  ASSERT_EQ(path.size(), 256U);
  const TestKit::Run r = TestKit::RunChild([&] {
    Lib3::Init();
    Build(s);
    Fenwold::Show();
  });
  EXPECT_EQ(r.out, "S " + path + "\r\n");
  EXPECT_EQ(r.err, "Show: String exhausted\r\n");
  EXPECT_EQ(r.status, 255);
}

}  // namespace
