// The least work any scanner of the input must do: read the file in blocks of
// 4096 bytes and look at every byte, keeping line and column.
#pragma once

#include <cstdint>
#include <cstdio>

namespace Floor {

struct TResult {
  std::uint64_t bytes;
  std::uint32_t l;  // line and column just past the last byte
  std::uint32_t c;
};

inline TResult Scan(std::FILE* f) {
  static unsigned char d[4096];
  TResult r{0, 1, 1};
  for (;;) {
    const std::size_t n = std::fread(d, 1, sizeof d, f);
    if (n == 0) break;
    r.bytes += n;
    for (std::size_t i = 0; i < n; ++i) {
      if (d[i] == '\n') {
        ++r.l;
        r.c = 1;
      } else {
        ++r.c;
      }
    }
  }
  return r;
}

// Opens name the way the program opens its input: binary, without a stdio buffer.
inline std::FILE* Open(const char* name) {
  std::FILE* f = std::fopen(name, "rb");
  if (f != nullptr) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

}  // namespace Floor
