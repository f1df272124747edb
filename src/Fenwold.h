// The main module: the record layout, its record image and the four phases
// of a run.
#pragma once

#include <cstdint>
#include <span>

#include "Types.h"

namespace Fenwold {

inline constexpr std::uint32_t maxDesc = 128;     // descriptors in the table
inline constexpr std::uint32_t maxOpen = 64;      // records open while building
inline constexpr std::uint32_t maxImage = 32768;  // bytes of the record image
inline constexpr std::uint32_t nameLen = 8;

using TFldStr = char[nameLen];

// One record, field or array. A descriptor with a first member is a record
// with members; one without is a leaf.
struct TRecDesc {
  std::uint8_t idx;   // number in arr, 1 to 128
  TFldStr str;        // name, NUL-terminated unless it has 8 characters
  std::uint32_t ofs;  // absolute offset; inside record arrays, within element 0
  std::uint32_t len;  // total length, all elements of an array
  std::uint32_t dim;  // number of elements; 0 for no array
  TRecDesc* fst;      // first member
  TRecDesc* nxt;      // next member of the same parent
};

extern TRecDesc* arr[maxDesc + 1];  // entry k is descriptor k; entry 0 stays none
extern std::uint8_t cnt;
extern TRecDesc* root;
extern std::uint8_t* buf;  // the record image, none until Build
extern std::uint32_t len;  // its length

[[noreturn]] void Error(Types::TStr s);

TRecDesc* New(Types::TStr s);
std::uint8_t Idx(const TRecDesc* r);
bool Alp(char c);
bool AlpNum(char c);
// The name rule: the stored name and the text of s are the same characters.
bool Match(const TRecDesc& r, Types::TStr s);

// One step of a layout: open a record, add a field, or close a record.
enum class TOp : std::uint8_t { beg, add, end };

struct TStep {
  TOp op;
  Types::TStr s;    // name
  std::uint32_t d;  // dimension, 0 for no array
  std::uint32_t l;  // element length of a field
};

// The table cleared and the root "/" created; no record image yet.
void InitState();

// Builds the program's own layout.
void Build();
// Builds the layout that the steps describe.
void Build(std::span<const TStep> steps);

void ShowDef();
void Assign();
void Show();

// The run: start-up, then the four phases.
void main();

}  // namespace Fenwold
