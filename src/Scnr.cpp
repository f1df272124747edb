#include "Scnr.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "FIOStd.h"
#include "Lib2.h"
#include "Lib3.h"
#include "SO.h"

namespace Scnr {

TSymbol sym = symNull;
TPosDesc pos = {0, 0};
std::uint32_t num = 0;
char lit[litLen] = {};
std::uint32_t len = 0;

namespace {

constexpr std::uint32_t blockLen = 4096;

struct TBufDesc {
  std::uint32_t n;  // bytes delivered by the last block read
  std::uint32_t i;  // index of the current character, counted from 1
  unsigned char d[blockLen];
};

bool initialised = false;
FIOStd::TChan src = FIOStd::inv;
TBufDesc buf;
unsigned char chr = 0;
bool eof = false;
TPosDesc chp = {0, 0};

[[noreturn]] void Error(Types::TStr t) {
  char s[128];
  SO::TBuffer b;
  SO::Init(b, s);
  SO::WrStr(b, "Scnr: ");
  if (src != FIOStd::inv) {
    SO::WrStr(b, " @(");
    SO::WrLngCard(b, chp.l, 1);
    SO::WrChar(b, ',');
    SO::WrLngCard(b, chp.c, 1);
    SO::WrStr(b, "): ");
  }
  SO::WrStr(b, t);
  Lib3::FatalError(s);
}

bool Exists(const char* n) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(n, ec));
}

// A folder opens for reading on some systems; it is still no input file.
FIOStd::TChan OpenRead(const char* n) {
  std::error_code ec;
  if (std::filesystem::is_directory(n, ec)) return FIOStd::inv;
  std::FILE* f = std::fopen(n, "rb");
  // Unbuffered: each block goes straight from the file into buf.d.
  if (f != nullptr) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

std::uint32_t RdBin() {
  const std::size_t n = std::fread(buf.d, 1, blockLen, src);
  if (n == 0 && std::ferror(src) != 0) Error("Get: Cannot read input file");
  return static_cast<std::uint32_t>(n);
}

void Get() {
  if (eof) return;
  if (chr == '\n') {
    ++chp.l;
    chp.c = 1;
  } else {
    ++chp.c;
  }
  if (++buf.i > buf.n) {
    buf.n = RdBin();
    buf.i = 1;
    if (buf.n == 0) {
      eof = true;
      chr = 0;
      return;
    }
  }
  chr = buf.d[buf.i - 1];
}

bool Alpha() {
  const unsigned char u = chr >= 'a' && chr <= 'z' ? static_cast<unsigned char>(chr - 'a' + 'A') : chr;
  return (chr >= '0' && chr <= '9') || (u >= 'A' && u <= 'Z');
}

void Put() {
  if (len >= litLen) Error("Identifier or literal too long");
  lit[len++] = static_cast<char>(chr);
}

void Term() {
  if (len < litLen) lit[len] = '\0';
}

void Ident() {
  sym = symId;
  len = 0;
  do {
    Put();
    Get();
  } while (Alpha());
  Term();
}

void Literal() {
  const unsigned char q = chr;
  sym = symLit;
  len = 0;
  Get();
  while (chr != q) {
    if (eof) {
      chp = pos;
      Error("Unterminated literal (start pos)");
    }
    if (chr < 32 || chr > 126) Error("Invalid character in literal");
    Put();
    Get();
  }
  Term();
  Get();
}

std::uint32_t Digit(unsigned char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10U;
  Error("Invalid digit");
}

void Number(std::uint32_t b) {
  sym = symNum;
  num = 0;
  do {
    const std::uint32_t d = Digit(chr);
    if (d >= b) Error("Invalid digit");
    if (num > (0xFFFFFFFFU - d) / b) Error("Number too large");
    num = num * b + d;
    Get();
  } while (Alpha());
}

// Entered after "(" with the asterisk current; comments nest.
void Comment() {
  Get();
  std::uint32_t lvl = 1;
  while (lvl > 0) {
    if (eof) {
      chp = pos;
      Error("Unterminated comment (start pos)");
    }
    if (chr == '(') {
      Get();
      if (chr == '*') {
        ++lvl;
        Get();
      }
    } else if (chr == '*') {
      Get();
      if (chr == ')') {
        --lvl;
        Get();
      }
    } else {
      Get();
    }
  }
}

// A token of one character, or of two when the next one is second.
void Pair(TSymbol one, char second, TSymbol two) {
  Get();
  sym = one;
  if (chr == static_cast<unsigned char>(second)) {
    sym = two;
    Get();
  }
}

void Single(TSymbol s) {
  sym = s;
  Get();
}

}  // namespace

void Read() {
  for (;;) {
    while (!eof && (chr <= ' ' || chr >= 127)) Get();
    if (eof) {
      sym = symEOS;
      return;
    }
    pos = chp;
    switch (chr) {
      case '"':
      case '\'': Literal(); return;
      case '#': Single(symNeq); return;
      case '$': Get(); Number(16); return;
      case '%': Get(); Number(2); return;
      case '&': Single(symAnd); return;
      case '(':
        Get();
        if (chr != '*') {
          sym = symLPar;
          return;
        }
        Comment();
        continue;
      case ')': Single(symRPar); return;
      case '*': Single(symMul); return;
      case '+': Single(symPlus); return;
      case ',': Single(symComma); return;
      case '-': Single(symMinus); return;
      case '.': Single(symDot); return;
      case '/': Single(symDiv); return;
      case ':': Pair(symCol, '=', symBec); return;
      case ';': Single(symSemi); return;
      case '<':
        Pair(symLss, '=', symLeq);
        if (sym == symLss && chr == '>') Single(symNeq);
        return;
      case '=': Single(symEql); return;
      case '>': Pair(symGtr, '=', symGeq); return;
      case '[': Single(symLBrk); return;
      case ']': Single(symRBrk); return;
      case '{': Single(symLBrc); return;
      case '|': Single(symBar); return;
      case '}': Single(symRBrc); return;
      case '~': Single(symNot); return;
      default:
        if (chr >= '0' && chr <= '9') {
          Number(10);
        } else if (Alpha()) {
          Ident();
        } else {
          Error("Invalid character");
        }
        return;
    }
  }
}

void Open(Types::TStr n) {
  constexpr std::uint32_t nameLen = 4096;
  char name[nameLen + 1];
  SO::TBuffer b;
  SO::Init(b, name, nameLen);
  SO::WrStr(b, n);
  name[nameLen] = '\0';
  sym = symNull;
  pos = {0, 0};
  // Only a restart has a file open here; the run's own input is never closed.
  if (src != FIOStd::inv) std::fclose(src);
  src = FIOStd::inv;
  eof = false;
  if (!Exists(name)) Error("Open: Input file does not exist");
  src = OpenRead(name);
  if (src == FIOStd::inv) Error("Open: Cannot open input file");
  Lib2::Fill(buf, 0);
  chr = '\n';
  chp = {0, 0};
  Get();
}

void Init() {
  if (initialised) return;
  initialised = true;
  Types::Init();
  SO::Init();
  FIOStd::Init();
  Lib3::Init();
  Lib2::Init();
  sym = symNull;
  pos = {0, 0};
  src = FIOStd::inv;
  Lib2::Fill(buf, 0);
  chr = 0;
  eof = false;
  chp = {0, 0};
  Open("input.txt");
}

}  // namespace Scnr
