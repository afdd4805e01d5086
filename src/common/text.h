#pragma once
// Text helpers shared by every subsystem: UTF-16 from Windows to UTF-8,
// UTF-8 validity, Unicode white space trimming.

#include <string>
#include <string_view>

namespace winhelper {

// Converts UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);
std::u16string utf8_to_utf16(std::string_view text);

bool is_valid_utf8(std::string_view bytes);

// Removes leading and trailing characters with the Unicode White_Space
// property. The input must be valid UTF-8.
std::string_view trim_unicode_whitespace(std::string_view text);

// Whether the text holds U+0000, which no Windows string can carry.
inline bool has_nul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

// Appends the UTF-8 encoding of a scalar value.
void append_utf8(std::string& out, char32_t cp);

}  // namespace winhelper
