#pragma once
// What a peer sent, made safe to write into a diagnostic line: a line feed
// in a path must not start a line that reads like one of the server's own.

#include <cstddef>
#include <string>
#include <string_view>

namespace winhelper::mcp {

// `text` with control characters, DEL, backslash and every byte beyond
// ASCII written as \xNN, cut after `limit` bytes of the original with "..."
// appended.
std::string log_field(std::string_view text, std::size_t limit = 200);

}  // namespace winhelper::mcp
