#include "Gen.h"

#include <array>
#include <string>

namespace Gen {

namespace {

// xorshift64*: small, fast and the same everywhere.
struct TRng {
  std::uint64_t s = 0x9E3779B97F4A7C15U;

  std::uint32_t Next() {
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return static_cast<std::uint32_t>((s * 0x2545F4914F6CDD1DU) >> 32);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
  bool Percent(std::uint32_t p) { return Below(100) < p; }
};

// One selector: a name, and the dimension of its array when the form indexes it.
struct TSel {
  const char* name;
  std::uint32_t dim;
};

// A statement form of the built-in layout and the largest number its item holds.
struct TForm {
  std::array<TSel, 3> sel;
  std::uint32_t n;
  std::uint32_t max;
};

constexpr TForm forms[] = {
    {{{{"tel", 0}, {"a", 0}}}, 2, 0xFF},
    {{{{"tel", 0}, {"b", 0}, {"c", 0}}}, 3, 0xFFFF},
    {{{{"tel", 0}, {"d", 0}}}, 2, 0xFFFFFFFF},
    {{{{"tel", 0}, {"e", 12}, {"f", 0}}}, 3, 0xFFFF},
    {{{{"tel", 0}, {"e", 0}, {"f", 0}}}, 3, 0xFFFF},
    {{{{"tel", 0}, {"e0", 0}}}, 2, 0xFF},
    {{{{"bla", 2}}}, 1, 0xFFFF},
    {{{{"bla", 0}}}, 1, 0xFFFFFFFF},
    {{{{"tel", 0}}}, 1, 0xFFFFFFFF},
    {{{{"tel", 0}, {"b", 0}}}, 2, 0xFFFF},
    {{{{"tel", 0}, {"e", 12}}}, 2, 0xFFFF},
};

constexpr const char* words[] = {"set",  "the",   "field", "a * (b)", "Größe", "x := 1;", "tel.e[3]",
                                 "note", "again", "{ok}",  "'q'",     "\"w\"", "$FF",     "%101"};

enum TStyle { compact, normal, spaced };

struct TGen {
  TRng rng;
  std::string s;  // the text produced so far and not yet written

  void Number(std::uint32_t v) {
    const std::uint32_t k = rng.Below(100);
    if (k < 60) {
      s += std::to_string(v);
    } else if (k < 85) {
      static constexpr char upper[] = "0123456789ABCDEF";
      static constexpr char lower[] = "0123456789abcdef";
      const char* h = rng.Percent(50) ? upper : lower;
      char t[8];
      int n = 0;
      do {
        t[n++] = h[v & 15];
        v >>= 4;
      } while (v != 0);
      s += '$';
      if (rng.Percent(10)) s += "00";  // leading zeros never overflow
      while (n > 0) s += t[--n];
    } else {
      char t[32];
      int n = 0;
      do {
        t[n++] = static_cast<char>('0' + (v & 1));
        v >>= 1;
      } while (v != 0);
      s += '%';
      while (n > 0) s += t[--n];
    }
  }

  // A value that uses some of the item's bytes: every length is common.
  std::uint32_t Value(std::uint32_t max) {
    const std::uint32_t bits = max == 0xFF ? 8 : max == 0xFFFF ? 16 : 32;
    const std::uint32_t b = 1 + rng.Below(bits);
    return b == 32 ? rng.Next() : rng.Next() & ((1U << b) - 1);
  }

  void Gap(TStyle st) {
    if (st == spaced) s += rng.Percent(10) ? "\t" : " ";
  }

  void Statement() {
    const TForm& f = forms[rng.Below(sizeof forms / sizeof forms[0])];
    const auto st = static_cast<TStyle>(rng.Below(3));
    for (std::uint32_t i = 0; i < f.n; ++i) {
      if (i > 0) {
        Gap(st);
        s += '.';
        Gap(st);
      }
      s += f.sel[i].name;
      if (f.sel[i].dim > 0) {
        Gap(st);
        s += '[';
        Gap(st);
        Number(rng.Below(f.sel[i].dim));
        Gap(st);
        s += ']';
      }
    }
    s += st == compact ? ":=" : " := ";
    Gap(st);
    Number(Value(f.max));
    Gap(st);
    s += ';';
  }

  void Words(std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      s += ' ';
      s += words[rng.Below(sizeof words / sizeof words[0])];
    }
    s += ' ';
  }

  void Eol() { s += rng.Percent(50) ? "\r\n" : "\n"; }

  // A comment, sometimes with one nested inside, sometimes over two lines.
  void Comment() {
    s += "(*";
    Words(1 + rng.Below(4));
    if (rng.Percent(40)) {
      s += "(*";
      Words(1 + rng.Below(3));
      s += "*)";
    }
    if (rng.Percent(20)) {
      Eol();
      s += "  ";
      Words(1 + rng.Below(4));
    }
    s += "*)";
  }

  void Indent() {
    const std::uint32_t k = rng.Below(8);
    if (k == 0) s += '\t';
    if (k == 1) s += "    ";
    if (k == 2) s += "  ";
  }

  void Line() {
    const std::uint32_t k = rng.Below(100);
    if (k < 3) {
      // an empty line
    } else if (k < 12) {
      Indent();
      Comment();
    } else {
      Indent();
      Statement();
      if (k < 22) {
        s += ' ';
        Statement();
      }
      if (rng.Percent(10)) {
        s += ' ';
        Comment();
      }
    }
    Eol();
  }
};

// Fills the last r bytes so that the file stays valid and ends with a line end.
void Pad(std::string& s, std::uint64_t r) {
  if (r >= 6) {
    s += "(*";
    s.append(r - 5, 'x');
    s += "*)\n";
  } else if (r > 0) {
    s.append(r - 1, ' ');
    s += '\n';
  }
}

}  // namespace

bool Write(std::FILE* f, std::uint64_t size) {
  constexpr std::size_t chunk = 1 << 20;
  TGen g;
  std::uint64_t done = 0;
  for (;;) {
    const std::size_t old = g.s.size();
    g.Line();
    if (done + g.s.size() > size) {
      g.s.resize(old);
      Pad(g.s, size - done - old);
      break;
    }
    if (g.s.size() >= chunk) {
      if (std::fwrite(g.s.data(), 1, g.s.size(), f) != g.s.size()) return false;
      done += g.s.size();
      g.s.clear();
    }
  }
  return std::fwrite(g.s.data(), 1, g.s.size(), f) == g.s.size() && std::fflush(f) == 0;
}

}  // namespace Gen
