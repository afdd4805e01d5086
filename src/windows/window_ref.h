#pragma once
// The textual form of window references ("@w" + number) and of root keys.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/request.h"

namespace winhelper {

std::string format_window_ref(std::uint64_t number);

// Surrounding Unicode white space is ignored; then "@w", one optional "+",
// and an unsigned decimal number that fits 64 bits. `text` must be UTF-8.
std::optional<std::uint64_t> parse_window_ref(std::string_view text);

// "window:<windowId>" when the record's windowId is an integer that fits 64
// signed bits; otherwise "meta:<kind>:<title>:<rootRef>" (kind "window" and
// empty title and rootRef when those are missing or not strings).
std::string root_key(const Json& record);

}  // namespace winhelper
