// Console output: the bytes each primitive writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "IO.h"
#include "Support.h"

namespace {

using namespace std::string_literals;
using TestKit::Capture;

struct CardCase {
  std::uint32_t x;
  std::int32_t w;
  const char* want;
};

TEST(IO, WrCardNumberField) {
  const CardCase cases[] = {
      {5, 3, "  5"},
      {0, 4, "   0"},
      {0, 1, "0"},
      {12345, 3, "12345"},
      {1234, 4, "1234"},
      {4294967295U, 4, "4294967295"},
      {4294967295U, 12, "  4294967295"},
      {42, -4, "42  "},
      {42, -1, "42"},
      {7, 0, "7"},
  };
  for (const CardCase& c : cases) {
    EXPECT_EQ(Capture([&] { IO::WrCard(c.x, c.w); }), c.want) << c.x << " in width " << c.w;
  }
}

TEST(IO, WrStrWritesTheTextOfTheArray) {
  const char full[] = {'a', 'b', 'c'};
  const char empty[] = {'\0', 'x'};
  const char cut[] = {'d', '\0', 'e'};
  EXPECT_EQ(Capture([&] { IO::WrStr(full); }), "abc");
  EXPECT_EQ(Capture([&] { IO::WrStr(empty); }), "");
  EXPECT_EQ(Capture([&] { IO::WrStr(cut); }), "d");
}

TEST(IO, WrCharAndWrLn) {
  EXPECT_EQ(Capture([] {
              IO::WrChar('a');
              IO::WrChar('\0');
              IO::WrChar('\xFF');
              IO::WrLn();
            }),
            "a\xFF\r\n"s);
}

}  // namespace
