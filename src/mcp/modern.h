#pragma once
// The stateless era of MCP (2026-07-28 and later): every request names its
// protocol version and the client's capabilities in its own `_meta`, with
// no `initialize` and no session. This file tells such a request apart from
// one of a legacy session, checks its metadata, and shapes its results.
// Both transports use it; HTTP adds its header checks (mcp_headers.h).

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "mcp/jsonrpc.h"

namespace winhelper::mcp {

inline constexpr std::string_view kModernVersion = "2026-07-28";
// What server/discover and an unsupported-version error list: the modern
// version, served per request, and the newest legacy one, served through
// initialize.
inline constexpr std::array<std::string_view, 2> kSupportedVersions = {"2026-07-28",
                                                                       "2025-11-25"};

inline constexpr std::string_view kMetaProtocolVersion = "io.modelcontextprotocol/protocolVersion";
inline constexpr std::string_view kMetaClientCapabilities =
    "io.modelcontextprotocol/clientCapabilities";
inline constexpr std::string_view kMetaServerInfo = "io.modelcontextprotocol/serverInfo";

enum ModernErrorCode : int {
  kHeaderMismatch = -32020,
  kUnsupportedProtocolVersion = -32022,
};

// How long a client may keep tools/list and server/discover: the tools and
// what the server says of itself change only when it is restarted with other
// options, which a client then sees within this time.
inline constexpr long long kListingTtlMs = 5 * 60 * 1000;

// The protocol version a request's `_meta` names, when it names one: such a
// request is served statelessly unless it belongs to a legacy session that
// negotiated that very version. A `_meta` version that is not a string is
// returned as its JSON text, so that it is refused as unsupported.
std::optional<std::string> meta_protocol_version(const RpcMessage& message);

// Whether a request is one of the modern era: its `_meta` names a version,
// and (on a transport with a legacy session) not the one the session
// negotiated; for initialize, a version that is not a legacy one.
// `negotiated` is empty outside a legacy session.
bool is_modern_request(const RpcMessage& message, std::string_view negotiated = {});

// The checks every modern request passes before its method is looked at:
// a version this server speaks, and the client's capabilities declared.
std::optional<RpcError> check_modern_meta(const RpcMessage& message);

// The methods the modern era has and this server serves.
bool is_modern_method(std::string_view method);
RpcError modern_method_not_found(std::string_view method);

// A result as the modern era answers it: `resultType` and the server's
// identity added; `cacheable` results also carry their cache hints.
Json modern_result(Json result, bool cacheable);

// server/discover's result.
Json discover_result();

}  // namespace winhelper::mcp
