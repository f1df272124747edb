// Source reader and token scanner over "input.txt".
#pragma once

#include <cstdint>

#include "Types.h"

namespace Scnr {

// A position in the input: line and column, counted from 1; (0, 0) is none.
struct TPosDesc {
  std::uint32_t l;
  std::uint32_t c;
};

enum TSymbol : std::uint8_t {
  symNull,
  symNum,
  symId,
  symLit,
  symNot,
  symMul,
  symDiv,
  symAnd,
  symPlus,
  symMinus,
  symOr,
  symEql,
  symNeq,
  symLss,
  symLeq,
  symGtr,
  symGeq,
  symLPar,
  symLBrk,
  symLBrc,
  symRBrc,
  symRBrk,
  symRPar,
  symCol,
  symBec,
  symBar,
  symSemi,
  symComma,
  symDot,
  symEOS
};

inline constexpr std::uint32_t litLen = 16;

// The current token.
extern TSymbol sym;
extern TPosDesc pos;       // its first character; kept at the end of input
extern std::uint32_t num;  // value of the last number
extern char lit[litLen];   // text of the last identifier or literal
extern std::uint32_t len;  // number of characters in lit

// Skips blank space and comments and delivers the next token.
void Read();

// Opens "input.txt" and makes its first character current.
void Init();

// Starts reading the file n afresh. Init does this for "input.txt"; tests and
// the fuzz harness use it to scan files of their own.
void Open(Types::TStr n);

}  // namespace Scnr
