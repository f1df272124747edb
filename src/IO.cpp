#include "IO.h"

#include <cstdio>

#include "FIOStd.h"

namespace IO {

namespace {

bool initialised = false;

void Spaces(std::uint32_t n) {
  while (n-- > 0) std::fputc(' ', FIOStd::out);
}

}  // namespace

void WrStr(Types::TStr s) { std::fwrite(s.s, 1, Types::Length(s), FIOStd::out); }

void WrChar(char c) {
  if (c != '\0') std::fputc(c, FIOStd::out);
}

void WrCard(std::uint32_t x, std::int32_t w) {
  char d[10];
  std::uint32_t n = 0;
  do {
    d[n++] = static_cast<char>('0' + x % 10);
    x /= 10;
  } while (x != 0);
  const std::uint32_t a = w < 0 ? 0U - static_cast<std::uint32_t>(w) : static_cast<std::uint32_t>(w);
  const std::uint32_t fill = a > n ? a - n : 0;
  if (w > 0) Spaces(fill);
  while (n > 0) std::fputc(d[--n], FIOStd::out);
  if (w < 0) Spaces(fill);
}

void WrLn() {
  std::fputs("\r\n", FIOStd::out);
  // The process ends without flushing, so each line leaves now.
  std::fflush(FIOStd::out);
}

void Init() {
  if (initialised) return;
  initialised = true;
  FIOStd::Init();
}

}  // namespace IO
