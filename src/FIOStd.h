// Handles of the standard channels.
#pragma once

#include <cstdio>

namespace FIOStd {

using TChan = std::FILE*;

// No open channel is equal to inv.
inline constexpr TChan inv = nullptr;

extern TChan in;
extern TChan out;
extern TChan err;

void Init();

}  // namespace FIOStd
