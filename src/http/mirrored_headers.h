#pragma once
// The headers a stateless MCP request mirrors from its body over HTTP
// (MCP-Protocol-Version, Mcp-Method, Mcp-Name), checked against the body:
// anything routing on a header must see what the server executes.

#include <optional>
#include <string>
#include <string_view>

#include "mcp/jsonrpc.h"
#include "mcp/modern.h"

namespace winhelper::mcp {

// The MCP headers of a POST, each absent when the request has none.
struct PostHeaders {
  std::optional<std::string_view> session_id;
  std::optional<std::string_view> protocol_version;
  std::optional<std::string_view> method;
  std::optional<std::string_view> name;
};

// A value as the header carries it: plain visible ASCII, or the UTF-8 text
// Base64-encoded between "=?base64?" and "?=". None when it is neither.
std::optional<std::string> decode_header_value(std::string_view value);

// The HeaderMismatch error (HTTP 400) when a header the request needs is
// missing, malformed or differs from the body; none when all agree.
std::optional<RpcError> check_mirrored_headers(const PostHeaders& headers,
                                               const RpcMessage& message);

}  // namespace winhelper::mcp
