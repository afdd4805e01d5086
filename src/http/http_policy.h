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
// A request's head: the request line and each header line at most
// kMaxLineBytes, at most kMaxHeaders headers, kMaxHeaderBytes in all. The
// connection ends as soon as one is passed.
inline constexpr std::size_t kMaxLineBytes = 8 * 1024;
inline constexpr std::size_t kMaxHeaders = 100;
inline constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
inline constexpr std::size_t kMaxHeadBytes = kMaxLineBytes + kMaxHeaderBytes;

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

// How a request says where its body ends.
struct BodyFraming {
  // Content-Length, when given (once, or repeated with one value).
  std::optional<std::size_t> length;
  // Content-Length values that differ or are not a decimal number.
  bool conflicting = false;
  // Transfer-Encoding given (chunked or another): the body's length is not
  // known before it is read.
  bool transfer_encoded = false;
};

// The framing of a request with these Content-Length values (in the order
// sent) and, when `transfer_encoded`, a Transfer-Encoding header. A length
// beyond any body accepted saturates instead of overflowing.
BodyFraming body_framing(const std::vector<std::string_view>& lengths, bool transfer_encoded);

// The parts of a request the checks read; absent headers are null.
struct RequestFacts {
  std::string_view method;
  std::string_view path;
  std::optional<std::string_view> host;
  std::optional<std::string_view> origin;
  std::optional<std::string_view> authorization;
  // How the body is delimited (content_length_of reads it from the headers).
  BodyFraming framing;
};

enum class RefusalKind {
  NotFound,            // 404: another path
  MethodNotAllowed,    // 405: a method other than GET, POST, DELETE
  ForbiddenHost,       // 403: Host not the listening address nor allowed
  ForbiddenOrigin,     // 403: an Origin not allowed
  Unauthorized,        // 401: no or a wrong bearer token
  PayloadTooLarge,     // 413: a body over the limit
  BadFraming,          // 400: Content-Length values that conflict or cannot be read
  LengthRequired,      // 411: a POST without Content-Length, or a chunked body
};

struct Refusal {
  RefusalKind kind;
  int status;
  std::string reason;  // for the log and the answer; never holds the token
};

Refusal make_refusal(RefusalKind kind);

// The refusal of a request, or nothing when it may go on to its handler.
// /health needs no token; every other check applies to it too. Bodies are
// accepted only with a Content-Length within kMaxBodyBytes, so none is read
// whose size is not known and bounded before the first byte of it.
std::optional<Refusal> refuse_request(const HttpSecurity& security, const RequestFacts& request);

// Equal strings, compared in time that depends only on their lengths.
bool constant_time_equal(std::string_view a, std::string_view b);

}  // namespace winhelper::mcp
