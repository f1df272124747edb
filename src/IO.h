// Console output on standard output. Every line ends with CR LF and is
// delivered at its line end.
#pragma once

#include <cstdint>

#include "Types.h"

namespace IO {

void WrStr(Types::TStr s);
// Writes nothing for the NUL character.
void WrChar(char c);
// x in decimal in a field of |w| characters: right-aligned for w > 0,
// left-aligned for w < 0; a wider number is written in full.
void WrCard(std::uint32_t x, std::int32_t w);
void WrLn();

void Init();

}  // namespace IO
