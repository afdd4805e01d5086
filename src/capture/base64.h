#pragma once
// Base64 with the standard alphabet (A-Z, a-z, 0-9, "+", "/") and "="
// padding.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace winhelper {

std::string base64_encode(std::span<const std::uint8_t> bytes);

// The length of the Base64 text of `bytes` bytes.
constexpr std::size_t base64_length(std::size_t bytes) { return (bytes + 2) / 3 * 4; }

}  // namespace winhelper
