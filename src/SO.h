// Bounded text builder: composes text in a caller-owned character array,
// never writes outside it and silently drops what does not fit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Types.h"

namespace SO {

struct TConfig {
  char p;  // fill before a right-aligned text
  char s;  // fill after a left-aligned text
  bool c;  // chop: a text too wide for its field becomes a row of "?"
};

// Invariant: l <= m; characters 0 to l-1 of s are the text; s[l] is NUL while l < m.
struct TBuffer {
  std::uint32_t m;  // size of the bound array, 1 to 65535
  char* s;
  std::uint32_t l;
  TConfig c;
};

inline constexpr std::uint32_t maxLen = 65535;

void Init(TBuffer& b, char* s, std::uint32_t m);

template <std::size_t N>
void Init(TBuffer& b, char (&s)[N]) {
  static_assert(N >= 1 && N <= maxLen, "a builder binds 1 to 65535 characters");
  Init(b, s, static_cast<std::uint32_t>(N));
}

void WrChar(TBuffer& b, char c);
void WrCharRep(TBuffer& b, char c, std::uint32_t n);
void WrStr(TBuffer& b, Types::TStr s);
void WrStrAdj(TBuffer& b, Types::TStr s, std::int32_t w);
void WrLngCard(TBuffer& b, std::uint32_t x, std::int32_t w);

void Init();

}  // namespace SO
