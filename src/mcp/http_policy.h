#pragma once
// What the MCP server over HTTP accepts, decided before any request reaches
// a session: where it may listen, and which requests it refuses (with the
// status and the reason that is logged). No sockets here.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace winhelper::mcp {

inline constexpr std::string_view kMcpPath = "/mcp";
inline constexpr std::string_view kHealthPath = "/health";
inline constexpr std::size_t kMaxBodyBytes = 4 * 1024 * 1024;

struct ListenAddress {
  std::string host = "127.0.0.1";
  int port = 0;
};

// "[HOST:]PORT"; an IPv6 host is written in brackets ("[::1]:8080").
Result<ListenAddress, std::string> parse_listen_address(std::string_view spec);

// 127.0.0.0/8, ::1 and "localhost".
bool is_loopback_host(std::string_view host);

struct HttpSecurity {
  ListenAddress listen;
  // Null only with --no-auth.
  std::optional<std::string> token;
  // Host names accepted besides the loopback names (--allow-host).
  std::vector<std::string> allowed_hosts;
  // Origin values accepted (--allow-origin); any other Origin is refused.
  std::vector<std::string> allowed_origins;
};

// Why the server must not start with these settings, if it must not: a
// non-loopback address needs a token, and --no-auth is for loopback only.
std::optional<std::string> startup_refusal(const ListenAddress& listen, bool has_token,
                                           bool no_auth);

// The parts of a request the checks read; absent headers are null.
struct RequestFacts {
  std::string_view method;
  std::string_view path;
  std::optional<std::string_view> host;
  std::optional<std::string_view> origin;
  std::optional<std::string_view> authorization;
  // Content-Length as sent (null when absent).
  std::optional<std::size_t> content_length;
};

enum class RefusalKind {
  NotFound,            // 404: another path
  MethodNotAllowed,    // 405: a method other than GET, POST, DELETE
  ForbiddenHost,       // 403: Host not the listening address nor allowed
  ForbiddenOrigin,     // 403: an Origin not allowed
  Unauthorized,        // 401: no or a wrong bearer token
  PayloadTooLarge,     // 413: a body over the limit
};

struct Refusal {
  RefusalKind kind;
  int status;
  std::string reason;  // for the log and the answer; never holds the token
};

Refusal make_refusal(RefusalKind kind);

// The refusal of a request, or nothing when it may go on to its handler.
// /health needs no token; every other check applies to it too.
std::optional<Refusal> refuse_request(const HttpSecurity& security, const RequestFacts& request);

// Equal strings, compared in time that depends only on their lengths.
bool constant_time_equal(std::string_view a, std::string_view b);

}  // namespace winhelper::mcp
