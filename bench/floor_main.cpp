// Reads input.txt as the floor does and prints its size and end position.
#include <cstdio>

#include "Floor.h"

int main() {
  std::FILE* f = Floor::Open("input.txt");
  if (f == nullptr) {
    std::perror("input.txt");
    return 1;
  }
  const Floor::TResult r = Floor::Scan(f);
  std::printf("%llu bytes, end at (%u,%u)\n", static_cast<unsigned long long>(r.bytes), r.l, r.c);
  return 0;
}
