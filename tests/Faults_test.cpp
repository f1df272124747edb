// Inputs and surroundings a user can meet that the plain cases do not show:
// odd bytes, very long lines, very many statements, both streams in one pipe,
// and an input that arrives through a named pipe in small pieces.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Support.h"

namespace {

using TestKit::Lines;
using TestKit::RunProgram;
using TestKit::TempDir;

const std::string normalRun = TestKit::layoutTable + TestKit::leafPaths;

// Bytes that separate tokens like a blank: NUL, controls, 127 and above.
std::string Filler(std::size_t n) {
  static const char bytes[] = {'\0', '\x01', '\t', '\r', ' ', '\x7f', '\x80', '\xa0', '\xfe', '\xff'};
  std::string s(n, ' ');
  for (std::size_t k = 0; k < n; ++k) s[k] = bytes[k % sizeof bytes];
  return s;
}

struct Case {
  const char* what;
  std::string in;
  std::string out;
  std::string err;
};

void RunCases(std::initializer_list<Case> cases) {
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TestKit::ExpectRun(k.in, k.out, k.err);
  }
}

TEST(Faults, OddBytesSeparateTokensAndAreRefusedInLiterals) {
  const std::string table = TestKit::layoutTable;
  RunCases({
      {"between tokens", Filler(30) + "tel" + Filler(7) + ".a:=" + Filler(3) + "1;" + Filler(11), normalRun,
       ""},
      {"inside a comment", std::string("(* \0\x80\xff\n *) tel.a := 1;", 22), normalRun, ""},
      {"NUL in a literal", std::string("tel.a := 'a\0b';", 15), table,
       Lines({"Scnr:  @(1,12): Invalid character in literal"})},
      {"byte 200 in a literal", "tel.a := \"a\xc8\";", table,
       Lines({"Scnr:  @(1,12): Invalid character in literal"})},
      {"NUL inside a name", std::string("te\0l.a := 1;", 12), table,
       Lines({"Assign: @(1,1): Undeclared identifier"})},
  });
}

// A line longer than any block: columns keep counting across 1280 blocks.
TEST(Faults, FiveMegabyteLine) {
  const std::size_t n = 5 * 1024 * 1024;
  const std::string col = std::to_string(n + 12 + 5);
  RunCases({
      {"accepted", "tel.a := 1;" + Filler(n) + "bla[1] := 255;\n", normalRun, ""},
      {"error at its end", "tel.a := 1; " + Filler(n) + "tel.x := 1;", TestKit::layoutTable,
       Lines({"Assign: @(1," + col + "): Undeclared identifier"})},
  });
}

// Lines keep counting across many blocks; the last statement's error names line 100001.
TEST(Faults, HundredThousandStatements) {
  std::string in;
  for (std::uint32_t k = 0; k < 100000; ++k) {
    in += "tel.e[" + std::to_string(k % 12) + "].f := " + std::to_string(k % 65536) + ";\n";
  }
  RunCases({
      {"accepted", in, normalRun, ""},
      {"error after them", in + "  tel.e[12].f := 1;\n", TestKit::layoutTable,
       Lines({"Assign: @(100001,9): Index out of range"})},
  });
}

int ExitStatus(int w) { return WIFEXITED(w) ? WEXITSTATUS(w) : -1; }

// Both streams into one pipe: the table's lines, then the error line.
TEST(Faults, BothStreamsIntoOnePipeKeepTheirOrder) {
  TempDir dir;
  dir.Write("input.txt", "tel.a := 1;\ntel.b.c := 65536;\n");
  const std::string cmd = "cd '" + dir.Path() + "' && exec '" FENWOLD_BIN "' 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char b[4096];
  for (std::size_t n; (n = std::fread(b, 1, sizeof b, p)) > 0;) out.append(b, n);
  EXPECT_EQ(ExitStatus(pclose(p)), 255);
  EXPECT_EQ(out, TestKit::layoutTable + Lines({"Assign: @(2,12): Number too large"}));
}

// Writes the pieces into the named pipe with pauses, so the program sees
// short reads.
void Feed(const std::string& fifo, const std::vector<std::string>& pieces) {
  const int fd = open(fifo.c_str(), O_WRONLY);
  if (fd < 0) return;
  for (const std::string& s : pieces) {
    if (write(fd, s.data(), s.size()) != static_cast<ssize_t>(s.size())) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  close(fd);
}

// A short read is no end of input: a statement split over several reads is
// read whole, and only the closed pipe ends the input.
TEST(Faults, InputThroughANamedPipeInPieces) {
  TempDir dir;
  const std::string fifo = dir / "input.txt";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::string> pieces{"tel.e[3", "].f := 2", "58;\n", "tel.x", " := 1;\n"};
  // A program that ended early must not leave the writer blocked or killed.
  const auto pipeAction = std::signal(SIGPIPE, SIG_IGN);
  std::thread writer(Feed, fifo, std::cref(pieces));
  const TestKit::Run r = RunProgram(dir.Path());
  const int release = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  close(release);
  std::signal(SIGPIPE, pipeAction);
  EXPECT_EQ(r.out, TestKit::layoutTable);
  EXPECT_EQ(r.err, Lines({"Assign: @(2,5): Undeclared identifier"}));
  EXPECT_EQ(r.status, 255);
}

}  // namespace
