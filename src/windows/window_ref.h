#pragma once
// The textual form of window references: "@w" and a number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace winhelper {

std::string format_window_ref(std::uint64_t number);

// Surrounding Unicode white space is ignored; then "@w", one optional "+",
// and an unsigned decimal number that fits 64 bits. `text` must be UTF-8.
std::optional<std::uint64_t> parse_window_ref(std::string_view text);

}  // namespace winhelper
