#pragma once
// What the self-test's checks ask of the system: the Win32 answers are in
// win32/probes_win32.cpp, the tests' in the test itself.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "selftest/self_test.h"

namespace winhelper::selftest {

class Probes {
 public:
  virtual ~Probes() = default;
  virtual Machine machine() = 0;
  // 0 when the input desktop opens for reading (OpenInputDesktop with
  // DESKTOP_READOBJECTS), else the system's error code.
  virtual std::uint32_t open_input_desktop() = 0;
  // Microseconds for `count` rounds of reserving and committing `bytes` of
  // fresh pages, touching each page and releasing them, as the helper does
  // for every block of 64 KiB and more; nullopt when pages could not be had.
  virtual std::optional<double> large_block_rounds_us(std::size_t bytes, int count) = 0;
  // Monotonic microseconds, for timing work done here.
  virtual double now_us() = 0;
};

}  // namespace winhelper::selftest
