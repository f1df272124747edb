// Clearing of variables.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Lib2 {

// Sets every byte of x to v; with 0 numbers become zero and references none.
template <typename T>
void Fill(T& x, std::uint8_t v) noexcept {
  static_assert(std::is_trivially_copyable_v<T>, "Fill works on plain data");
  std::memset(static_cast<void*>(&x), v, sizeof x);
}

void Init();

}  // namespace Lib2
