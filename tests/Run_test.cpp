// The program binary, run as a user runs it.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "IO.h"
#include "Lib3.h"
#include "Support.h"

namespace {

using TestKit::Lines;
using TestKit::RunProgram;
using TestKit::TempDir;

const std::string normalRun = TestKit::layoutTable + TestKit::leafPaths;

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// The shell command that starts the program in dir, followed by redirections.
std::string Command(const TempDir& dir, const std::string& redirections) {
  return "cd '" + dir.Path() + "' && exec '" FENWOLD_BIN "' " + redirections;
}

int ExitStatus(int w) { return WIFEXITED(w) ? WEXITSTATUS(w) : -1; }

// Runs the program in dir on a terminal of its own; the terminal passes bytes
// unchanged, so what arrives is exactly what the program wrote.
TestKit::Run RunOnTerminal(const TempDir& dir) {
  termios raw{};
  cfmakeraw(&raw);
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, &raw, nullptr);
  if (pid < 0) return {-1000, "", ""};
  if (pid == 0) {
    if (chdir(dir.Path().c_str()) != 0) _exit(201);
    execl(FENWOLD_BIN, FENWOLD_BIN, static_cast<char*>(nullptr));
    _exit(202);
  }
  std::string out;
  char b[4096];
  for (;;) {
    const ssize_t n = read(master, b, sizeof b);
    if (n > 0) {
      out.append(b, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;  // EIO once the program has ended and closed the terminal
    }
  }
  close(master);
  int w = 0;
  waitpid(pid, &w, 0);
  return {ExitStatus(w), out, ""};
}

// The frame on its own, in a child: returning and FatalError both end with 255,
// and a line written before the end is delivered.
TEST(Frame, EveryWayOutEndsWith255) {
  const auto line = [] {
    Lib3::Init();
    IO::WrStr("a");
    IO::WrLn();
  };
  const TestKit::Run returned = TestKit::RunChild(line);
  EXPECT_EQ(returned.out, "a\r\n");
  EXPECT_EQ(returned.err, "");
  EXPECT_EQ(returned.status, 255);

  const TestKit::Run failed = TestKit::RunChild([&] {
    line();
    Lib3::FatalError("");
  });
  EXPECT_EQ(failed.out, "a\r\n");
  EXPECT_EQ(failed.err, "\r\n");
  EXPECT_EQ(failed.status, 255);
}

TEST(Run, ArgumentsAreIgnored) {
  TempDir dir;
  dir.Write("input.txt", "");
  const TestKit::Run plain = RunProgram(dir.Path());
  const TestKit::Run args = RunProgram(dir.Path(), {"ignored", "--help", "input.txt"});
  for (const TestKit::Run& r : {plain, args}) {
    EXPECT_EQ(r.out, normalRun);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 255);
  }
}

// RunProgram sends standard output to a file, where lines may be held back
// until the process ends; the end skips flushing, so every line must leave
// at its line end.
TEST(Run, EveryLineReachesAFile) {
  TempDir dir;
  dir.Write("input.txt", "tel.e[3].f := 258; bla[1] := 65535;");
  const TestKit::Run r = RunProgram(dir.Path());
  EXPECT_EQ(r.out, normalRun);
  EXPECT_EQ(r.out.substr(r.out.size() - 2), "\r\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 255);
}

TEST(Run, EveryLineReachesAPipe) {
  TempDir dir;
  dir.Write("input.txt", "");
  std::FILE* p = popen(Command(dir, "2>stderr").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char b[4096];
  for (std::size_t n; (n = std::fread(b, 1, sizeof b, p)) > 0;) out.append(b, n);
  const int w = pclose(p);
  EXPECT_EQ(out, normalRun);
  EXPECT_EQ(Slurp(dir / "stderr"), "");
  EXPECT_EQ(ExitStatus(w), 255);
}

TEST(Run, EveryLineReachesATerminal) {
  TempDir dir;
  dir.Write("input.txt", "");
  const TestKit::Run r = RunOnTerminal(dir);
  EXPECT_EQ(r.out, normalRun);
  EXPECT_EQ(r.status, 255);
}

TEST(Run, OutputAndErrorInOneFileKeepTheirOrder) {
  TempDir dir;
  dir.Write("input.txt", "tel.x := 1;");
  const int w = std::system(Command(dir, ">both 2>&1").c_str());
  EXPECT_EQ(Slurp(dir / "both"), TestKit::layoutTable + Lines({"Assign: @(1,5): Undeclared identifier"}));
  EXPECT_EQ(ExitStatus(w), 255);
}

}  // namespace
