#pragma once
// Platform error text: "<message> (0xXXXXXXXX)", or the code alone when the
// message is empty. Adapters produce the message; the format lives here.

#include <cstdint>
#include <string>
#include <string_view>

namespace winhelper {

// "0x" and eight upper-case hexadecimal digits.
std::string hresult_hex(std::uint32_t code);

// Trailing white space of the message is removed first.
std::string platform_error_text(std::uint32_t code, std::string_view message);

// The HRESULT form of a Win32 error number (0 stays 0).
constexpr std::uint32_t hresult_from_win32(std::uint32_t error) {
  return error == 0 ? 0u : ((error & 0xFFFFu) | 0x80070000u);
}

}  // namespace winhelper
