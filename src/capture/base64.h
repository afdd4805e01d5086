#pragma once
// Base64 with the standard alphabet (A-Z, a-z, 0-9, "+", "/") and "="
// padding.

#include <cstdint>
#include <span>
#include <string>

namespace winhelper {

std::string base64_encode(std::span<const std::uint8_t> bytes);

}  // namespace winhelper
