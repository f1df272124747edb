// fenwold_gen SIZE [FILE]: writes a valid input of SIZE bytes (suffix K, M or
// G for binary multiples) to FILE, or to standard output.
#include <cstdio>
#include <cstdlib>

#include "Gen.h"

namespace {

bool ParseSize(const char* t, std::uint64_t& size) {
  char* e = nullptr;
  size = std::strtoull(t, &e, 10);
  if (e == t) return false;
  switch (*e) {
    case '\0': return true;
    case 'K': size <<= 10; break;
    case 'M': size <<= 20; break;
    case 'G': size <<= 30; break;
    default: return false;
  }
  return e[1] == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t size = 0;
  if (argc < 2 || argc > 3 || !ParseSize(argv[1], size)) {
    std::fprintf(stderr, "usage: fenwold_gen SIZE[K|M|G] [FILE]\n");
    return 2;
  }
  std::FILE* f = argc == 3 ? std::fopen(argv[2], "wb") : stdout;
  if (f == nullptr || !Gen::Write(f, size)) {
    std::perror("fenwold_gen");
    return 1;
  }
  return 0;
}
