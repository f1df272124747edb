// Writes large valid inputs for the benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>

namespace Gen {

// Writes exactly size bytes of assignment statements to f: every statement
// form of the built-in layout, numbers in all three bases, nested comments,
// CR LF and LF line ends. The same size always gives the same bytes.
// Returns false when writing fails.
bool Write(std::FILE* f, std::uint64_t size);

}  // namespace Gen
