#pragma once

#include <cstddef>

// Seams the variable-font loader's tests use to start each case as a fresh process would.
namespace lg::detail {

// Forgets the loaded font, its axes, the cache and the once-only guard, and unregisters the font
// if this loader registered it.
void resetClockVariableFontForTesting();

// How many instances the cache holds now.
size_t clockVariableFontCacheSizeForTesting();

}  // namespace lg::detail
