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
  std::uint32_t n;                // bytes delivered by the last block read
  unsigned char d[blockLen + 1];  // d[n] is always 0: loops stop there without a bound test
};

using TPtr = const unsigned char*;

// What a byte means where a token may begin.
enum TClass : std::uint8_t {
  clsBlank,  // separates tokens
  clsLf,     // separates tokens and ends a line
  clsZero,   // the byte 0: blank, or the stop mark after the block
  clsLetter,
  clsDigit,
  clsSingle,  // a token of one character, kind in TTables::single
  clsQuote,
  clsDollar,
  clsPercent,
  clsLPar,
  clsColon,
  clsLess,
  clsGreater,
  clsInvalid
};

constexpr std::uint8_t noDigit = 255;

struct TTables {
  TClass cls[256];
  TSymbol single[256];
  std::uint8_t dig[256];  // digit value of a letter or digit, noDigit for any other byte
  bool plain[256];        // nothing that a comment looks at: not "(", "*", line feed or 0
};

constexpr TTables MakeTables() {
  TTables t{};
  for (std::uint32_t c = 0; c < 256; ++c) {
    t.cls[c] = c <= ' ' || c >= 127 ? clsBlank : clsInvalid;
    t.single[c] = symNull;
    t.dig[c] = noDigit;
    t.plain[c] = c != '(' && c != '*' && c != '\n' && c != 0;
  }
  const auto cls = [&t](char c) -> TClass& { return t.cls[static_cast<unsigned char>(c)]; };
  cls('\n') = clsLf;
  cls('\0') = clsZero;
  for (std::uint8_t c = 0; c < 10; ++c) {
    t.cls['0' + c] = clsDigit;
    t.dig['0' + c] = c;
  }
  for (std::uint8_t c = 0; c < 26; ++c) {
    t.cls['A' + c] = t.cls['a' + c] = clsLetter;
    t.dig['A' + c] = t.dig['a' + c] = static_cast<std::uint8_t>(10 + c);
  }
  const struct {
    char c;
    TSymbol s;
  } singles[] = {{'#', symNeq},   {'&', symAnd},   {')', symRPar}, {'*', symMul},  {'+', symPlus},
                 {',', symComma}, {'-', symMinus}, {'.', symDot},  {'/', symDiv},  {';', symSemi},
                 {'=', symEql},   {'[', symLBrk},  {']', symRBrk}, {'{', symLBrc}, {'|', symBar},
                 {'}', symRBrc},  {'~', symNot}};
  for (const auto& s : singles) {
    cls(s.c) = clsSingle;
    t.single[static_cast<unsigned char>(s.c)] = s.s;
  }
  cls('"') = cls('\'') = clsQuote;
  cls('$') = clsDollar;
  cls('%') = clsPercent;
  cls('(') = clsLPar;
  cls(':') = clsColon;
  cls('<') = clsLess;
  cls('>') = clsGreater;
  return t;
}

constexpr TTables tab = MakeTables();

bool initialised = false;
FIOStd::TChan src = FIOStd::inv;
TBufDesc buf;
bool eof = false;

// The reader's place. The current character is *cur; Read works on a copy in
// a register, and Get and the token readers take and return it. cur < end
// until the end of input; there cur == end and *cur is 0. Columns are not
// counted per byte: the position of the byte at p is At(p).
TPtr cur = buf.d;
TPtr end = buf.d;
std::uint32_t line = 0;
std::uint32_t cb = 0;

TPosDesc At(TPtr p) { return {line, cb + static_cast<std::uint32_t>(p - buf.d)}; }

[[noreturn]] void Error(TPosDesc at, Types::TStr t) {
  char s[128];
  SO::TBuffer b;
  SO::Init(b, s);
  SO::WrStr(b, "Scnr: ");
  if (src != FIOStd::inv) {
    SO::WrStr(b, " @(");
    SO::WrLngCard(b, at.l, 1);
    SO::WrChar(b, ',');
    SO::WrLngCard(b, at.c, 1);
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

// Called when the place has run onto end: reads the next block, or marks the
// end of input. The new block's first byte continues the column where the old
// block ended. Returns the new place.
TPtr Refill() {
  cb += buf.n;
  const std::size_t n = std::fread(buf.d, 1, blockLen, src);
  if (n == 0 && std::ferror(src) != 0) Error(At(buf.d), "Get: Cannot read input file");
  buf.n = static_cast<std::uint32_t>(n);
  buf.d[buf.n] = 0;
  end = buf.d + buf.n;
  eof = buf.n == 0;
  return buf.d;
}

// Steps past a character that is not a line feed. Never called at the end.
TPtr Get(TPtr p) { return ++p == end ? Refill() : p; }

// Counts the line that the line feed at p ends: the next character is in
// column 1.
void NewLine(TPtr p) {
  ++line;
  cb = 0U - static_cast<std::uint32_t>(p - buf.d);
}

// Steps past the line feed at p.
TPtr GetLine(TPtr p) {
  NewLine(p);
  return Get(p);
}

bool Alpha(unsigned char c) { return tab.dig[c] != noDigit; }

// The stop mark after the block is no letter, so the loop needs no end test
// per character; only at the mark may the name go on in the next block.
TPtr Ident(TPtr p) {
  std::uint32_t n = 0;
  for (;;) {
    for (; Alpha(*p); ++p) {
      if (n == litLen) Error(At(p), "Identifier or literal too long");
      lit[n++] = static_cast<char>(*p);
    }
    if (p != end || eof) break;
    p = Refill();
  }
  if (n < litLen) lit[n] = '\0';
  len = n;
  sym = symId;
  return p;
}

TPtr Literal(TPtr p) {
  const unsigned char q = *p;
  p = Get(p);
  std::uint32_t n = 0;
  for (unsigned char c = *p; c != q; c = *p) {
    if (c < 32 || c > 126) {
      if (eof) Error(pos, "Unterminated literal (start pos)");
      Error(At(p), "Invalid character in literal");
    }
    if (n == litLen) Error(At(p), "Identifier or literal too long");
    lit[n++] = static_cast<char>(c);
    p = Get(p);
  }
  if (n < litLen) lit[n] = '\0';
  len = n;
  sym = symLit;
  return Get(p);
}

// Entered at the first digit. num * b + d is tested in 64 bits: exact, and
// no division per digit. As in Ident, the stop mark ends the inner loop.
template <std::uint32_t b>
TPtr Number(TPtr p) {
  std::uint64_t v = 0;
  for (;;) {
    std::uint32_t d;
    for (; (d = tab.dig[*p]) < b; ++p) {
      v = v * b + d;
      if (v > 0xFFFFFFFFU) Error(At(p), "Number too large");
    }
    if (p != end) {
      if (d != noDigit) Error(At(p), "Invalid digit");
      break;
    }
    if (eof) break;
    p = Refill();
  }
  num = static_cast<std::uint32_t>(v);
  sym = symNum;
  return p;
}

// A number after its base mark at p: at least one digit must follow.
template <std::uint32_t b>
TPtr Based(TPtr p) {
  p = Get(p);
  if (tab.dig[*p] >= b) Error(At(p), "Invalid digit");
  return Number<b>(p);
}

// Entered after "(" with the asterisk current; comments nest.
TPtr Comment(TPtr p) {
  p = Get(p);
  std::uint32_t lvl = 1;
  for (;;) {
    while (tab.plain[*p]) ++p;
    switch (*p) {
      case '\n': p = GetLine(p); break;
      case '(':
        p = Get(p);
        if (*p == '*') {
          ++lvl;
          p = Get(p);
        }
        break;
      case '*':
        p = Get(p);
        if (*p == ')') {
          p = Get(p);
          if (--lvl == 0) return p;
        }
        break;
      default:  // a 0 byte, or the stop mark after the block
        if (p != end) {
          ++p;
        } else if (eof) {
          Error(pos, "Unterminated comment (start pos)");
        } else {
          p = Refill();
        }
    }
  }
}

// A token of one character, or of two when the next one is c.
TPtr Pair(TPtr p, TSymbol one, unsigned char c, TSymbol two) {
  p = Get(p);
  sym = one;
  if (*p != c) return p;
  sym = two;
  return Get(p);
}

// Steps over blanks, line feeds and 0 bytes to the next character that is
// none of them; at the end of input, to end.
TPtr Skip(TPtr p) {
  for (;;) {
    while (tab.cls[*p] == clsBlank) ++p;
    const TClass k = tab.cls[*p];
    if (k > clsZero) return p;
    if (k == clsLf) {
      p = GetLine(p);
    } else if (p != end) {
      ++p;
    } else if (eof) {
      return p;
    } else {
      p = Refill();
    }
  }
}

// A token of the rarer kinds, or a comment: then sym is symNull.
TPtr Other(TPtr p, TClass k) {
  switch (k) {
    case clsQuote: return Literal(p);
    case clsDollar: return Based<16>(p);
    case clsPercent: return Based<2>(p);
    case clsLPar:
      p = Get(p);
      if (*p == '*') {
        sym = symNull;
        return Comment(p);
      }
      sym = symLPar;
      return p;
    case clsColon: return Pair(p, symCol, '=', symBec);
    case clsLess:
      p = Pair(p, symLss, '=', symLeq);
      if (sym == symLss && *p == '>') {
        sym = symNeq;
        p = Get(p);
      }
      return p;
    case clsGreater: return Pair(p, symGtr, '=', symGeq);
    default: Error(pos, "Invalid character");
  }
}

// The token at p, or a comment. The commonest kinds are tested first: a test
// predicts better than the jump through a table.
TPtr Token(TPtr p) {
  const unsigned char c = *p;
  const TClass k = tab.cls[c];
  if (k == clsLetter) return Ident(p);
  if (k == clsSingle) {
    sym = tab.single[c];
    return Get(p);
  }
  if (k == clsDigit) return Number<10>(p);
  return Other(p, k);
}

// The token at p after whatever blanks, line feeds and comments come first,
// or the end of input: every case, with every error. Not inlined, so that
// Read's own path saves no registers.
[[gnu::noinline]] void ReadFrom(TPtr p) {
  do {
    p = Skip(p);
    if (p == end) {
      sym = symEOS;
      break;
    }
    pos = At(p);
    p = Token(p);
  } while (sym == symNull);
  cur = p;
}

// The quick readers below take the commonest tokens when they end inside the
// block and are sound; for anything else they return nullptr and ReadFrom
// starts over at the token. Free of calls, they keep Read's own path short.

TPtr QuickIdent(TPtr p) {
  std::uint32_t n = 0;
  for (; Alpha(p[n]); ++n) {
    if (n == litLen) return nullptr;
    lit[n] = static_cast<char>(p[n]);
  }
  if (p + n == end) return nullptr;
  if (n < litLen) lit[n] = '\0';
  len = n;
  sym = symId;
  return p + n;
}

template <std::uint32_t b>
TPtr QuickNumber(TPtr p) {
  if (tab.dig[*p] >= b) return nullptr;
  std::uint64_t v = 0;
  std::uint32_t d;
  for (; (d = tab.dig[*p]) < b; ++p) {
    v = v * b + d;
    if (v > 0xFFFFFFFFU) return nullptr;
  }
  if (d != noDigit || p == end) return nullptr;
  num = static_cast<std::uint32_t>(v);
  sym = symNum;
  return p;
}

TPtr Quick(TPtr p) {
  const unsigned char c = *p;
  const TClass k = tab.cls[c];
  if (k == clsLetter) return QuickIdent(p);
  if (k == clsSingle && p + 1 != end) {
    sym = tab.single[c];
    return p + 1;
  }
  if (k == clsDigit) return QuickNumber<10>(p);
  if (k == clsDollar) return QuickNumber<16>(p + 1);  // p[1] is the stop mark at the end
  if (k == clsPercent) return QuickNumber<2>(p + 1);
  if (k == clsColon && p[1] == '=' && p + 2 != end) {  // p[1] is the stop mark at the end
    sym = symBec;
    return p + 2;
  }
  return nullptr;
}

}  // namespace

void Read() {
  TPtr p = cur;
  // A line feed at the block end leaves p at the stop mark: ReadFrom refills.
  for (TClass k; (k = tab.cls[*p]) <= clsLf; ++p) {
    if (k == clsLf) NewLine(p);
  }
  const TPtr q = Quick(p);
  if (q == nullptr) {
    ReadFrom(p);
    return;
  }
  pos = At(p);
  cur = q;
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
  if (!Exists(name)) Error({0, 0}, "Open: Input file does not exist");
  src = OpenRead(name);
  if (src == FIOStd::inv) Error({0, 0}, "Open: Cannot open input file");
  Lib2::Fill(buf, 0);
  // The character before the first is taken to be a line end: the first
  // character is at line 1, column 1.
  line = 1;
  cb = 1;
  cur = Refill();
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
  cur = end = buf.d;
  line = cb = 0;
  eof = false;
  Open("input.txt");
}

}  // namespace Scnr
