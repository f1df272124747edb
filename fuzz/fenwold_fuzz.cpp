// libFuzzer target: one run's input path (reader, scanner, Assign, Show) over
// arbitrary bytes as the content of the input file, many inputs per process.
// A fatal error unwinds back here through Lib3::quit instead of ending the
// process. After every input the harness checks that the run either printed
// the full leaf listing and no error, or printed exactly one well-formed error
// line and nothing else, and that nothing outside the record image changed.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "FIOStd.h"
#include "Fenwold.h"
#include "Lib3.h"
#include "Scnr.h"

namespace {

using std::string_view;

struct TFatal {};

[[noreturn]] void Unwind() { throw TFatal{}; }

constexpr string_view leafPaths =
    "S /.tel.a\r\nS /.tel.b.c\r\nS /.tel.d\r\n"
    "S /.tel.e[0].f\r\nS /.tel.e[1].f\r\nS /.tel.e[2].f\r\nS /.tel.e[3].f\r\n"
    "S /.tel.e[4].f\r\nS /.tel.e[5].f\r\nS /.tel.e[6].f\r\nS /.tel.e[7].f\r\n"
    "S /.tel.e[8].f\r\nS /.tel.e[9].f\r\nS /.tel.e[10].f\r\nS /.tel.e[11].f\r\n"
    "S /.tel.e0\r\nA /.bla[0]\r\nA /.bla[1]\r\n";

constexpr string_view scnrTexts[] = {
    "Invalid character",
    "Identifier or literal too long",
    "Invalid character in literal",
    "Unterminated literal (start pos)",
    "Invalid digit",
    "Number too large",
    "Unterminated comment (start pos)",
    "Get: Cannot read input file",
};

constexpr string_view assignTexts[] = {
    "Identifier or EOF expected",
    "Identifier expected",
    "Undeclared identifier",
    "Not an array",
    "Number expected",
    "Index out of range",
    "Expected \"]\"",
    "Expected \":=\"",
    "String assignment not yet implemented",
    "Number or literal expected",
    "Number too large",
    "Semicolon expected",
};

// Memory-backed where the system has it: the input file is rewritten for every
// input, and on a disk file system each truncation costs real I/O.
char dir[] = "/dev/shm/fenwold-fuzz-XXXXXX";
char fallback[] = "/tmp/fenwold-fuzz-XXXXXX";
char* made = nullptr;
char path[sizeof dir + 16];
char outBuf[1 << 16];
char errBuf[1 << 12];
std::FILE* out;
std::FILE* err;

// The descriptor table as Build left it; Assign and Show only read it.
Fenwold::TRecDesc table[Fenwold::maxDesc + 1];

string_view input;
string_view outText;
string_view errText;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fenwold_fuzz: %s\n--- stdout (%zu bytes)\n%.*s\n--- stderr (%zu bytes)\n%.*s\n", what,
               outText.size(), static_cast<int>(outText.size()), outText.data(), errText.size(),
               static_cast<int>(errText.size()), errText.data());
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

void RemoveInput() {
  unlink(path);
  rmdir(made);
}

// Plain system calls: no stream buffer to allocate for every input.
void WriteInput(const std::uint8_t* data, std::size_t size) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  Check(fd >= 0, "cannot create the input file");
  const bool ok = write(fd, data, size) == static_cast<ssize_t>(size);
  Check(close(fd) == 0 && ok, "cannot write the input file");
}

string_view Taken(std::FILE* f, const char* b) {
  std::fflush(f);
  return {b, static_cast<std::size_t>(std::ftell(f))};
}

bool Eat(string_view& s, string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// A decimal number of 1 to 10 digits without leading zeros.
bool Card(string_view& s, std::uint64_t& v) {
  std::size_t n = 0;
  v = 0;
  while (n < s.size() && n < 11 && s[n] >= '0' && s[n] <= '9')
    v = v * 10 + static_cast<unsigned>(s[n++] - '0');
  if (n == 0 || n > 10 || (n > 1 && s[0] == '0')) return false;
  s.remove_prefix(n);
  return true;
}

bool OneOf(string_view t, const string_view* texts, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) {
    if (t == texts[k]) return true;
  }
  return false;
}

// The byte at line l, column c of the input; -1 for the end of the input; -2
// for a position the input does not have.
int At(std::uint64_t l, std::uint64_t c) {
  std::size_t i = 0;
  for (std::uint64_t k = 1; k < l; ++k) {
    const std::size_t nl = input.find('\n', i);
    if (nl == string_view::npos) return -2;
    i = nl + 1;
  }
  const std::size_t nl = input.find('\n', i);
  // A line's columns run to its line feed; the last line's one past its end.
  const std::size_t last = nl == string_view::npos ? input.size() - i + 1 : nl - i + 1;
  if (c < 1 || c > last) return -2;
  return i + c - 1 < input.size() ? static_cast<unsigned char>(input[i + c - 1]) : -1;
}

// One line in the scanner's or the interpreter's positioned form, pointing at
// a place the input has; a token the interpreter judges starts with a visible
// character.
void CheckErrorLine() {
  string_view s = errText;
  Check(s.size() >= 2 && s.substr(s.size() - 2) == "\r\n", "error line without CR LF");
  s.remove_suffix(2);
  Check(s.find_first_of("\r\n") == string_view::npos, "more than one error line");
  const bool scnr = Eat(s, "Scnr:  @(");
  Check(scnr || Eat(s, "Assign: @("), "unknown error prefix");
  std::uint64_t l = 0;
  std::uint64_t c = 0;
  Check(Card(s, l) && Eat(s, ",") && Card(s, c) && Eat(s, "): "), "malformed position");
  const int ch = At(l, c);
  Check(ch != -2, "position outside the input");
  if (scnr) {
    Check(OneOf(s, scnrTexts, std::size(scnrTexts)), "unknown scanner message");
    if (s == "Invalid character") Check(ch >= 0 && std::strchr("!?@\\^_`", ch) != nullptr, "wrong place");
    if (s == "Unterminated literal (start pos)") Check(ch == '\'' || ch == '"', "wrong place");
    if (s == "Unterminated comment (start pos)") Check(ch == '(', "wrong place");
  } else {
    Check(OneOf(s, assignTexts, std::size(assignTexts)), "unknown interpreter message");
    Check(ch > ' ' && ch < 127, "interpreter error not at a token");
  }
}

void CheckState() {
  using namespace Fenwold;
  Check(buf != nullptr && len == 36 && cnt == 10 && root == arr[1], "layout state changed");
  for (std::uint32_t k = 1; k <= cnt; ++k) {
    Check(std::memcmp(arr[k], &table[k], sizeof table[k]) == 0, "descriptor changed");
  }
  // Build zeroes the whole static image; the bytes past len are guards.
  for (std::uint32_t k = len; k < maxImage; ++k) Check(buf[k] == 0, "byte written past the record image");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  made = mkdtemp(dir);
  if (made == nullptr) made = mkdtemp(fallback);
  if (made == nullptr) Fail("mkdtemp failed");
  std::snprintf(path, sizeof path, "%s/input.txt", made);
  std::atexit(RemoveInput);
  out = fmemopen(outBuf, sizeof outBuf, "w");
  err = fmemopen(errBuf, sizeof errBuf, "w");
  if (out == nullptr || err == nullptr) Fail("fmemopen failed");
  FIOStd::Init();
  FIOStd::out = out;
  FIOStd::err = err;
  Lib3::quit = Unwind;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  input = {reinterpret_cast<const char*>(data), size};
  outText = errText = {};
  WriteInput(data, size);
  std::rewind(out);
  std::rewind(err);
  Fenwold::InitState();
  Fenwold::Build();
  for (std::uint32_t k = 1; k <= Fenwold::cnt; ++k) table[k] = *Fenwold::arr[k];
  bool completed = false;
  try {
    Scnr::Open(path);
    Fenwold::Assign();
    Fenwold::Show();
    completed = true;
  } catch (const TFatal&) {
  }
  outText = Taken(out, outBuf);
  errText = Taken(err, errBuf);
  if (completed) {
    Check(errText.empty(), "error text after a completed run");
    Check(outText == leafPaths, "leaf listing wrong");
  } else {
    Check(outText.empty(), "listing after an error");
    CheckErrorLine();
  }
  CheckState();
  return 0;
}
