#include "SO.h"

namespace SO {

namespace {

void Terminate(TBuffer& b) {
  if (b.l < b.m) b.s[b.l] = '\0';
}

char Char(std::uint32_t d) { return static_cast<char>(d < 10 ? '0' + d : 'A' + (d - 10)); }

// The digits of x in base b (2 to 36), most significant first; s must hold them.
template <std::size_t N>
void CardToStr(std::uint32_t x, char (&s)[N], std::uint32_t b) {
  char d[32];
  std::uint32_t n = 0;
  do {
    d[n++] = Char(x % b);
    x /= b;
  } while (x != 0 && n < 32);
  std::uint32_t i = 0;
  while (n > 0) s[i++] = d[--n];
  if (i < N) s[i] = '\0';
}

}  // namespace

void Init(TBuffer& b, char* s, std::uint32_t m) {
  s[0] = '\0';
  b.m = m;
  b.s = s;
  b.l = 0;
  b.c = TConfig{' ', ' ', false};
}

void WrChar(TBuffer& b, char c) {
  if (b.l < b.m) b.s[b.l++] = c;
  Terminate(b);
}

void WrCharRep(TBuffer& b, char c, std::uint32_t n) {
  while (n > 0 && b.l < b.m) {
    b.s[b.l++] = c;
    --n;
  }
  Terminate(b);
}

void WrStr(TBuffer& b, Types::TStr s) {
  for (std::uint32_t i = 0; i < s.m && s.s[i] != '\0' && b.l < b.m; ++i) b.s[b.l++] = s.s[i];
  Terminate(b);
}

void WrStrAdj(TBuffer& b, Types::TStr s, std::int32_t w) {
  const std::int64_t a = w < 0 ? -static_cast<std::int64_t>(w) : w;
  const std::int64_t d = a - Types::Length(s);
  if (d < 0 && b.c.c) {
    WrCharRep(b, '?', static_cast<std::uint32_t>(a));
    return;
  }
  if (w > 0 && d > 0) WrCharRep(b, b.c.p, static_cast<std::uint32_t>(d));
  WrStr(b, s);
  if (w < 0 && d > 0) WrCharRep(b, b.c.s, static_cast<std::uint32_t>(d));
}

void WrLngCard(TBuffer& b, std::uint32_t x, std::int32_t w) {
  char s[16];
  CardToStr(x, s, 10);
  WrStrAdj(b, s, w);
}

void Init() {}

}  // namespace SO
