// Shared types: the program's character strings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Types {

// A character string as every module takes it: an array and its size. Its text
// is the characters before the first NUL, or all of them when it holds none.
struct TStr {
  const char* s;
  std::uint32_t m;

  // Implicit on purpose: every character array is a string argument.
  template <std::size_t N>
  // cppcheck-suppress noExplicitConstructor
  constexpr TStr(const char (&a)[N]) noexcept  // NOLINT(google-explicit-constructor)
      : s(a), m(static_cast<std::uint32_t>(N)) {}
  constexpr TStr(const char* a, std::uint32_t n) noexcept : s(a), m(n) {}
};

// Number of characters of the text of s.
constexpr std::uint32_t Length(TStr t) noexcept {
  std::uint32_t i = 0;
  while (i < t.m && t.s[i] != '\0') ++i;
  return i;
}

void Init();

}  // namespace Types
