#include "Support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "FIOStd.h"

namespace TestKit {

namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

int Status(int w) {
  if (WIFEXITED(w)) return WEXITSTATUS(w);
  if (WIFSIGNALED(w)) return -WTERMSIG(w);
  return -1000;
}

// Forks; the child points fds 1 and 2 at files in dir and runs body.
Run Fork(const TempDir& dir, const std::function<void()>& body) {
  const std::string out = dir / "stdout";
  const std::string err = dir / "stderr";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0) _exit(200);
    close(o);
    close(e);
    body();
    std::exit(0);
  }
  int w = 0;
  waitpid(pid, &w, 0);
  return Run{Status(w), Slurp(out), Slurp(err)};
}

}  // namespace

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "fenwold-XXXXXX").string();
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = name.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string TempDir::operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

void TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream f(*this / name, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Run RunProgram(const std::string& dir, std::initializer_list<std::string> args) {
  TempDir io;
  std::vector<std::string> argv{FENWOLD_BIN};
  argv.insert(argv.end(), args.begin(), args.end());
  return Fork(io, [&] {
    std::vector<char*> p;
    for (std::string& a : argv) p.push_back(a.data());
    p.push_back(nullptr);
    if (chdir(dir.c_str()) != 0) _exit(201);
    execv(p[0], p.data());
    _exit(202);
  });
}

void ExpectRun(std::string_view input, const std::string& out, const std::string& err) {
  TempDir dir;
  dir.Write("input.txt", input);
  const Run r = RunProgram(dir.Path());
  EXPECT_EQ(r.out, out);
  EXPECT_EQ(r.err, err);
  EXPECT_EQ(r.status, 255);
}

Run RunChild(const std::function<void()>& f) {
  TempDir io;
  return Fork(io, [&] {
    FIOStd::Init();
    FIOStd::out = stdout;
    FIOStd::err = stderr;
    f();
  });
}

std::string Capture(const std::function<void()>& f) {
  FIOStd::Init();
  std::FILE* saved = FIOStd::out;
  std::FILE* t = std::tmpfile();
  if (t == nullptr) throw std::runtime_error("tmpfile failed");
  FIOStd::out = t;
  f();
  FIOStd::out = saved;
  std::fflush(t);
  const long n = std::ftell(t);
  std::string s(static_cast<std::size_t>(n), '\0');
  std::rewind(t);
  const std::size_t got = std::fread(s.data(), 1, s.size(), t);
  s.resize(got);
  std::fclose(t);
  return s;
}

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) {
    s += l;
    s += "\r\n";
  }
  return s;
}

const std::string layoutTable = Lines({
    "idx str         ofs len dim fst nxt",
    "  1 '/'           0  36   0   2   0",
    "  2 'tel'         0  32   0   3  10",
    "  3 'a'           0   1   0   0   4",
    "  4 'b'           1   2   0   5   6",
    "  5 'c'           1   2   0   0   0",
    "  6 'd'           3   4   0   0   7",
    "  7 'e'           7  24  12   8   9",
    "  8 'f'           7   2   0   0   0",
    "  9 'e0'         31   1   0   0   0",
    " 10 'bla'        32   4   2   0   0",
});

const std::string leafPaths = Lines({
    "S /.tel.a",
    "S /.tel.b.c",
    "S /.tel.d",
    "S /.tel.e[0].f",
    "S /.tel.e[1].f",
    "S /.tel.e[2].f",
    "S /.tel.e[3].f",
    "S /.tel.e[4].f",
    "S /.tel.e[5].f",
    "S /.tel.e[6].f",
    "S /.tel.e[7].f",
    "S /.tel.e[8].f",
    "S /.tel.e[9].f",
    "S /.tel.e[10].f",
    "S /.tel.e[11].f",
    "S /.tel.e0",
    "A /.bla[0]",
    "A /.bla[1]",
});

}  // namespace TestKit
