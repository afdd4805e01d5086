#pragma once
// Letter-case folding for matching user-given text against UI text: the
// simple lower-case mapping of the scripts that window titles, application
// names and control texts use in practice (Latin, Greek, Cyrillic, Armenian,
// Georgian, the full-width Latin forms). Characters outside those ranges are
// kept as they are.

#include <string>
#include <string_view>

namespace winhelper {

char32_t to_lower_scalar(char32_t cp);

// Lower-cases valid UTF-8 text; invalid bytes are copied through unchanged.
std::string to_lower_utf8(std::string_view text);

// Lower-cases A-Z only, byte by byte, for names that are ASCII by contract
// (class names, process names, key names); every other byte is kept.
std::string to_lower_ascii(std::string_view text);

}  // namespace winhelper
