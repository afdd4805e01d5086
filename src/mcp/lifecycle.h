#pragma once
// The MCP handshake: protocol version negotiation and what the server says
// about itself in its answer to `initialize`.

#include <array>
#include <string_view>

#include "common/result.h"
#include "protocol/request.h"

namespace winhelper::mcp {

// Newest first; the versions the current MCP TypeScript SDK speaks.
inline constexpr std::array<std::string_view, 5> kProtocolVersions = {
    "2025-11-25", "2025-06-18", "2025-03-26", "2024-11-05", "2024-10-07"};

inline constexpr std::string_view kServerName = "winhelper-mcp";

// The client's version when this server speaks it, else the newest one (the
// client then decides whether to go on).
std::string_view negotiate_version(std::string_view requested);

// What the server says of itself: its name, title and version, and its
// guidance for the model. The same in both eras.
Json server_info();
std::string_view server_instructions();

// The result of `initialize` for its params, or the invalid-params message.
Result<Json> initialize_result(const Json& params);

}  // namespace winhelper::mcp
