// The built program and its "input.txt": start-up failures before any output,
// and whole files that run clean or end with one error after the table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "Support.h"

namespace {

namespace fs = std::filesystem;

using TestKit::Lines;
using TestKit::RunProgram;
using TestKit::TempDir;

struct StartUp {
  const char* what;
  std::function<void(const TempDir&)> make;  // puts "input.txt" in place
  std::string err;
};

TEST(Input, StartUpFailuresPrintNothingButTheError) {
  const std::string missing = Lines({"Scnr: Open: Input file does not exist"});
  const std::string cannot = Lines({"Scnr: Open: Cannot open input file"});
  const StartUp cases[] = {
      {"no input.txt", [](const TempDir&) {}, missing},
      {"a file of another case", [](const TempDir& d) { d.Write("INPUT.TXT", "tel.a := 1;"); }, missing},
      {"a folder", [](const TempDir& d) { fs::create_directory(d / "input.txt"); }, cannot},
      {"a link to a folder", [](const TempDir& d) { fs::create_directory_symlink(".", d / "input.txt"); },
       cannot},
      {"a dangling link", [](const TempDir& d) { fs::create_symlink("nowhere.txt", d / "input.txt"); },
       cannot},
  };
  for (const StartUp& k : cases) {
    SCOPED_TRACE(k.what);
    TempDir dir;
    k.make(dir);
    const TestKit::Run r = RunProgram(dir.Path());
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, k.err);
    EXPECT_EQ(r.status, 255);
  }
}

TEST(Input, UnreadableFileCannotBeOpened) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root, every file can be opened";
  TempDir dir;
  dir.Write("input.txt", "tel.a := 1;");
  fs::permissions(dir / "input.txt", fs::perms::none);
  const TestKit::Run r = RunProgram(dir.Path());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, Lines({"Scnr: Open: Cannot open input file"}));
  EXPECT_EQ(r.status, 255);
}

// Reading a process's own memory from address 0 opens fine and fails at once;
// the failure must end the run, not pass for an empty file.
TEST(Input, ReadFailureEndsTheRunAtItsPosition) {
  if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem here";
  TempDir dir;
  fs::create_symlink("/proc/self/mem", dir / "input.txt");
  const TestKit::Run r = RunProgram(dir.Path());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, Lines({"Scnr:  @(1,1): Get: Cannot read input file"}));
  EXPECT_EQ(r.status, 255);
}

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

struct Whole {
  const char* what;
  std::string in;
  std::string out;
  std::string err;
};

TEST(Input, WholeFilesPrintTableThenPathsOrOneError) {
  const std::string all = TestKit::layoutTable + TestKit::leafPaths;
  const std::string example =
      Slurp(fs::path(__FILE__).parent_path().parent_path() / "examples" / "input.txt");
  ASSERT_NE(example, "");
  const Whole cases[] = {
      {"the example", example, all, ""},
      {"CR LF lines", "tel.a := 1;\r\ntel.e[11].f := $FFFF;\r\nbla := 0;\r\n", all, ""},
      {"a wrong first statement", "tel.z := 1;\n", TestKit::layoutTable,
       Lines({"Assign: @(1,5): Undeclared identifier"})},
      {"an index too large on line 2", "tel.a := 1;\ntel.e[12].f := 1;\n", TestKit::layoutTable,
       Lines({"Assign: @(2,7): Index out of range"})},
      {"past the end of the image", "bla[1] := 65536;\n", TestKit::layoutTable,
       Lines({"Assign: @(1,11): Number too large"})},
      {"a literal open at the line end", "tel.a := 1;\ntel.b.c := 'abc\ntel.d := 2;\n", TestKit::layoutTable,
       Lines({"Scnr:  @(2,16): Invalid character in literal"})},
      {"a comment never closed", "tel.a := 1;\n(* (* *)\n", TestKit::layoutTable,
       Lines({"Scnr:  @(2,1): Unterminated comment (start pos)"})},
  };
  for (const Whole& k : cases) {
    SCOPED_TRACE(k.what);
    TestKit::ExpectRun(k.in, k.out, k.err);
  }
}

// Only the name is tested without following a link; a link to a file reads it.
TEST(Input, LinkToAFileIsRead) {
  TempDir dir;
  dir.Write("real.txt", "tel.a := 256;\n");
  fs::create_symlink("real.txt", dir / "input.txt");
  const TestKit::Run r = RunProgram(dir.Path());
  EXPECT_EQ(r.out, TestKit::layoutTable);
  EXPECT_EQ(r.err, Lines({"Assign: @(1,10): Number too large"}));
  EXPECT_EQ(r.status, 255);
}

}  // namespace
