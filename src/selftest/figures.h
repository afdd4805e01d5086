#pragma once
// How the self-test writes its figures, and what its checks share.

#include <cstddef>
#include <cstdint>
#include <string>

namespace winhelper::selftest {

// "12.5 ms": one decimal and the unit.
std::string fixed(double value, const char* unit);
// "3.2 s" for milliseconds.
std::string seconds(std::int64_t ms);
// "42 elements".
std::string count_of(std::size_t count, const char* things);

// F9, which stops the UI thread of a test application started with a hang,
// and how long the checks give the posted key to be taken before they
// measure.
inline constexpr std::uint32_t kHangKey = 0x78;
inline constexpr std::int64_t kHangSettleMs = 500;

}  // namespace winhelper::selftest
