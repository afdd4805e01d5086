#pragma once
// Counts the bytes the process holds through operator new, so a benchmark can
// report the peak a step reaches (native builds with glibc only).

#include <cstddef>

namespace winhelper::bench {

// Bytes currently held.
std::size_t allocated_now();
// Starts a new peak at the current level.
void reset_allocation_peak();
std::size_t allocation_peak();

}  // namespace winhelper::bench
