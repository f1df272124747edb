// Assignment statements against the built-in layout: the record image they
// leave, or the one error line that ends the run and what was stored before it.
//
// The built-in image: a byte 0; b.c bytes 1-2; d bytes 3-6; e twelve elements
// of 2 bytes from byte 7 (f at the start of each); e0 byte 31; bla two
// elements of 2 bytes from byte 32; 36 bytes in all.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "Fenwold.h"
#include "Lib3.h"
#include "Scnr.h"
#include "Support.h"

namespace {

struct Bytes {
  std::uint32_t at;
  std::vector<std::uint8_t> b;
};

std::string Hex(const std::uint8_t* p, std::uint32_t n) {
  std::string s;
  for (std::uint32_t k = 0; k < n; ++k) {
    char h[4];
    std::snprintf(h, sizeof h, "%02X ", p[k]);
    s += h;
  }
  return s;
}

// An all-zero image of n bytes with the given bytes set.
std::string Image(std::initializer_list<Bytes> set, std::uint32_t n = 36) {
  std::vector<std::uint8_t> img(n, 0);
  for (const Bytes& x : set) {
    for (std::size_t k = 0; k < x.b.size(); ++k) img.at(x.at + k) = x.b[k];
  }
  return Hex(img.data(), n);
}

std::string Current() { return Hex(Fenwold::buf, Fenwold::len); }

void AssignFile(const std::string& file, std::span<const Fenwold::TStep> steps = {}) {
  Fenwold::InitState();
  if (steps.empty()) {
    Fenwold::Build();
  } else {
    Fenwold::Build(steps);
  }
  Scnr::Open(Types::TStr(file.c_str(), static_cast<std::uint32_t>(file.size() + 1)));
  Fenwold::Assign();
}

struct Accepted {
  std::string in;
  std::string image;
};

TEST(Assign, AcceptedFilesLeaveTheirBytesInTheImage) {
  const Accepted cases[] = {
      {"tel.a := 1;\ntel.b.c := 515;\ntel.d := $FFFFFFFF;\ntel.e[3].f := 258;\ntel.e0 := 7;\nbla[1] := "
       "255;\n",
       Image({{0, {0x01, 0x03, 0x02, 0xFF, 0xFF, 0xFF, 0xFF}},
              {13, {0x02, 0x01}},
              {31, {0x07}},
              {34, {0xFF}}})},
      {"", Image({})},
      {" \r\n\t \n", Image({})},
      {"(* only *) (* comments (* here *) *)", Image({})},
      {"tel := 1;", Image({{0, {0x01}}})},
      {"bla := 65535;", Image({{32, {0xFF, 0xFF}}})},
      {"tel.e.f := 1;", Image({{7, {0x01}}})},
      {"tel.b := 65535;", Image({{1, {0xFF, 0xFF}}})},
      {"tel.d := 65536; tel.d := 1;", Image({{3, {0x01, 0x00, 0x01, 0x00}}})},
      {"tel.a := 255; tel.a := 0;", Image({})},
      {"tel.e[1] := 16777215;", Image({{9, {0xFF, 0xFF, 0xFF}}})},
      {"tel.e[11].f := %1000000000000001;", Image({{29, {0x01, 0x80}}})},
      {"bla[1] := 65535;", Image({{34, {0xFF, 0xFF}}})},
      {"tel . a := 1 ;", Image({{0, {0x01}}})},
      {"tel.a:=1;", Image({{0, {0x01}}})},
      {"tel(*x*).(*y*)a\r\n:=\r\n1\r\n;\r\n", Image({{0, {0x01}}})},
  };
  TestKit::TempDir dir;
  for (const Accepted& k : cases) {
    SCOPED_TRACE(k.in);
    dir.Write("input.txt", k.in);
    AssignFile(dir / "input.txt");
    EXPECT_EQ(Current(), k.image);
    EXPECT_EQ(Scnr::sym, Scnr::symEOS);
  }
}

// Indices at every level add up: r[i].s[j].f[k] lies at 24i + 6j + 2k.
TEST(Assign, IndexOffsetsAddUpOverNestedArrays) {
  using Fenwold::TOp;
  const Fenwold::TStep steps[] = {
      {TOp::beg, "r", 0, 0}, {TOp::beg, "s", 0, 0}, {TOp::add, "f", 3, 2},
      {TOp::end, "s", 4, 0}, {TOp::end, "r", 2, 0}, {TOp::add, "g", 0, 1},
  };
  TestKit::TempDir dir;
  dir.Write("input.txt",
            "r[1].s[2].f[1] := 258;\n"
            "r.s[3].f := 1;\n"
            "r[0].s[1] := 255;\n"
            "r[1].s[3].f[2] := 16777215;\n");  // one byte past f, into g
  AssignFile(dir / "input.txt", steps);
  EXPECT_EQ(Current(), Image({{6, {0xFF}}, {18, {0x01}}, {38, {0x02, 0x01}}, {46, {0xFF, 0xFF, 0xFF}}}, 49));
}

// Names are compared whole: no prefix, no extension, and nothing left in the
// identifier text by a longer name before.
TEST(Assign, NamesMatchOnlyWhole) {
  using Fenwold::TOp;
  const Fenwold::TStep steps[] = {
      {TOp::beg, "abcdefgh", 0, 0},
      {TOp::add, "ab", 0, 1},
      {TOp::add, "abcdefg", 0, 1},
      {TOp::end, "abcdefgh", 0, 0},
  };
  TestKit::TempDir dir;
  dir.Write("input.txt", "abcdefgh.ab := 1; abcdefgh.abcdefg := 2;");
  AssignFile(dir / "input.txt", steps);
  EXPECT_EQ(Current(), Image({{0, {0x01, 0x02}}}, 2));
  for (const char* in :
       {"abcdefgh.a := 1;", "abcdefgh.abc := 1;", "abcdefgh.abcdefgh := 1;", "abcdefgh.abcdefghi := 1;"}) {
    SCOPED_TRACE(in);
    dir.Write("input.txt", in);
    const TestKit::Run r = TestKit::RunChild([&] {
      Lib3::Init();
      AssignFile(dir / "input.txt", steps);
    });
    EXPECT_EQ(r.err, "Assign: @(1,10): Undeclared identifier\r\n");
  }
  dir.Write("input.txt", "abcdefghi.ab := 1;");
  const TestKit::Run r = TestKit::RunChild([&] {
    Lib3::Init();
    AssignFile(dir / "input.txt", steps);
  });
  EXPECT_EQ(r.err, "Assign: @(1,1): Undeclared identifier\r\n");
}

struct Rejected {
  std::string in;
  std::string err;  // without its line end
  std::string image = Image({});
};

// Registered after the exit hook, so it runs first: the image as the run left it.
void DumpImage() {
  std::fputs(Current().c_str(), stdout);
  std::fflush(stdout);
}

TEST(Assign, RejectedFilesEndWithOneErrorLine) {
  const std::string one = Image({{0, {0x01}}});
  const Rejected cases[] = {
      {"tel.x := 1;", "Assign: @(1,5): Undeclared identifier"},
      {"a := 1;", "Assign: @(1,1): Undeclared identifier"},
      {"TEL.a := 1;", "Assign: @(1,1): Undeclared identifier"},
      {"tel.e0x := 1;", "Assign: @(1,5): Undeclared identifier"},
      {"tel.a.b := 1;", "Assign: @(1,7): Undeclared identifier"},
      {"abcdefghijklmnop := 1;", "Assign: @(1,1): Undeclared identifier"},
      {"tel.a[0] := 1;", "Assign: @(1,6): Not an array"},
      {"tel[0] := 1;", "Assign: @(1,4): Not an array"},
      {"bla[x] := 1;", "Assign: @(1,5): Number expected"},
      {"bla[2] := 1;", "Assign: @(1,5): Index out of range"},
      {"bla[4294967295] := 1;", "Assign: @(1,5): Index out of range"},
      {"tel.e[12].f := 1;", "Assign: @(1,7): Index out of range"},
      {"bla[1 := 1;", "Assign: @(1,7): Expected \"]\""},
      {"bla[1][0] := 1;", "Assign: @(1,7): Expected \":=\""},
      {"tel.a = 1;", "Assign: @(1,7): Expected \":=\""},
      {"tel. := 1;", "Assign: @(1,6): Identifier expected"},
      {"tel.a := x;", "Assign: @(1,10): Number or literal expected"},
      {"tel.a := -1;", "Assign: @(1,10): Number or literal expected"},
      {"tel.a := 'ab';", "Assign: @(1,10): String assignment not yet implemented"},
      {"tel.a := 256;", "Assign: @(1,10): Number too large"},
      {"tel.b.c := 65536;", "Assign: @(1,12): Number too large"},
      {"tel.e[11].f := 65536;", "Assign: @(1,16): Number too large"},
      {"tel.a := 4294967296;", "Scnr:  @(1,19): Number too large"},
      {"tel.a :=", "Assign: @(1,7): Number or literal expected"},
      {"tel.a := 1", "Assign: @(1,10): Semicolon expected", one},
      {"tel.a := 1 (* end *)", "Assign: @(1,12): Semicolon expected", one},
      {"tel.a := 1\ntel.d := 2;", "Assign: @(2,1): Semicolon expected", one},
      {"5;", "Assign: @(1,1): Identifier or EOF expected"},
      {"tel.a := 1; ;", "Assign: @(1,13): Identifier or EOF expected", one},
      {"tel.a := 1;\n\n   tel.q := 2;", "Assign: @(3,8): Undeclared identifier", one},
      {"tel.a := 1; tel.d := ?", "Scnr:  @(1,22): Invalid character", one},
      // The bound is the whole array, but no byte goes past the image end:
      // nothing of such a statement is stored.
      {"bla[1] := 65536;", "Assign: @(1,11): Number too large"},
      {"bla[1] := 258; bla[1] := 16777215;", "Assign: @(1,26): Number too large",
       Image({{34, {0x02, 0x01}}})},
      {"bla[1] := 4294967295;", "Assign: @(1,11): Number too large"},
  };
  TestKit::TempDir dir;
  for (const Rejected& k : cases) {
    SCOPED_TRACE(k.in);
    dir.Write("input.txt", k.in);
    const TestKit::Run r = TestKit::RunChild([&] {
      Lib3::Init();
      std::atexit(DumpImage);
      AssignFile(dir / "input.txt");
    });
    EXPECT_EQ(r.err, k.err + "\r\n");
    EXPECT_EQ(r.out, k.image);
    EXPECT_EQ(r.status, 255);
  }
}

}  // namespace
