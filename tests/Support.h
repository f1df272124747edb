// Test support: temporary directories, runs of the program binary, runs of
// code in a child process, and capture of console output.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace TestKit {

// A fresh directory under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of name inside the directory.
  std::string operator/(std::string_view name) const;
  // Writes bytes as the file name inside the directory.
  void Write(std::string_view name, std::string_view bytes) const;

 private:
  std::string path_;
};

// What a run left behind: exit status (or -signal), standard output and error.
struct Run {
  int status;
  std::string out;
  std::string err;
};

// Runs the built program in dir with the given arguments.
Run RunProgram(const std::string& dir, std::initializer_list<std::string> args = {});

// Runs the built program in a fresh directory whose input.txt holds input, and
// expects exactly out on standard output, err on standard error and status 255.
void ExpectRun(std::string_view input, const std::string& out, const std::string& err);

// Runs f in a forked child whose standard output and error are captured; the
// child ends as a returning main does, through exit(0).
Run RunChild(const std::function<void()>& f);

// What f writes through the console output, in this process.
std::string Capture(const std::function<void()>& f);

// The lines, each ended with CR LF.
std::string Lines(std::initializer_list<std::string_view> lines);

// The heading and rows of the built-in layout's table, and its 18 leaf paths.
extern const std::string layoutTable;
extern const std::string leafPaths;

}  // namespace TestKit
