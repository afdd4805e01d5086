#include "http/http_policy.h"

#include <algorithm>
#include <charconv>

#include "common/lowercase.h"

namespace winhelper::mcp {

namespace {

bool is_ipv4_loopback(std::string_view host) {
  if (!host.starts_with("127.")) return false;
  int parts = 0;
  std::size_t begin = 0;
  while (begin <= host.size()) {
    std::size_t end = host.find('.', begin);
    if (end == std::string_view::npos) end = host.size();
    int value = -1;
    auto [ptr, ec] = std::from_chars(host.data() + begin, host.data() + end, value);
    if (ec != std::errc() || ptr != host.data() + end || value < 0 || value > 255) return false;
    ++parts;
    begin = end + 1;
  }
  return parts == 4;
}

// A name as it appears in a Host header: an IPv6 address in brackets.
std::string host_form(std::string name) {
  name = to_lower_ascii(name);
  if (name.find(':') != std::string::npos && name.front() != '[') name = "[" + name + "]";
  return name;
}

// The Host values that name this server: the listening host, the loopback
// names when it listens on loopback, and the allowed names, each with the
// listening port.
bool host_allowed(const HttpSecurity& security, std::string_view value) {
  std::string host = to_lower_ascii(value);
  std::string port = ":" + std::to_string(security.listen.port);
  std::vector<std::string> names = {security.listen.host};
  if (is_loopback_host(security.listen.host)) {
    names.insert(names.end(), {"localhost", "127.0.0.1", "::1"});
  }
  names.insert(names.end(), security.allowed_hosts.begin(), security.allowed_hosts.end());
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return host == host_form(name) + port; });
}

// An allowed origin, or this server's own (http:// and a Host value that
// names it): a page from that origin could only have come from this server,
// which serves none.
bool origin_allowed(const HttpSecurity& security, std::string_view origin) {
  if (std::find(security.allowed_origins.begin(), security.allowed_origins.end(), origin) !=
      security.allowed_origins.end()) {
    return true;
  }
  constexpr std::string_view kHttp = "http://";
  return origin.starts_with(kHttp) && host_allowed(security, origin.substr(kHttp.size()));
}

std::optional<std::string_view> bearer_token(std::string_view authorization) {
  constexpr std::string_view kScheme = "bearer ";
  if (authorization.size() < kScheme.size()) return std::nullopt;
  if (to_lower_ascii(authorization.substr(0, kScheme.size())) != kScheme) {
    return std::nullopt;
  }
  return authorization.substr(kScheme.size());
}

}  // namespace

Result<ListenAddress, std::string> parse_listen_address(std::string_view spec) {
  ListenAddress out;
  std::string_view port = spec;
  if (spec.starts_with("[")) {
    std::size_t close = spec.find("]:");
    if (close == std::string_view::npos) return std::string("--http: write an IPv6 host as [HOST]:PORT");
    out.host = std::string(spec.substr(1, close - 1));
    port = spec.substr(close + 2);
  } else if (std::size_t colon = spec.rfind(':'); colon != std::string_view::npos) {
    out.host = std::string(spec.substr(0, colon));
    port = spec.substr(colon + 1);
    if (out.host.empty() || out.host.find(':') != std::string::npos) {
      return "--http: expected [HOST:]PORT, got '" + std::string(spec) + "'";
    }
  }
  int value = 0;
  auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (ec != std::errc() || ptr != port.data() + port.size() || value < 1 || value > 65535) {
    return "--http: the port must be a number from 1 to 65535, got '" + std::string(port) + "'";
  }
  out.port = value;
  return out;
}

bool is_loopback_host(std::string_view host) {
  return host == "::1" || to_lower_ascii(host) == "localhost" ||
         is_ipv4_loopback(host);
}

std::optional<std::string> startup_refusal(const ListenAddress& listen, bool has_token,
                                           bool no_auth) {
  if (is_loopback_host(listen.host)) return std::nullopt;
  if (no_auth) {
    return "--no-auth is only allowed on a loopback address; " + listen.host +
           " is reachable from other machines";
  }
  if (!has_token) {
    return "listening on " + listen.host +
           " needs a token: give --token-file PATH or set WINHELPER_MCP_TOKEN";
  }
  return std::nullopt;
}

Refusal make_refusal(RefusalKind kind) {
  switch (kind) {
    case RefusalKind::NotFound:
      return {kind, 404, "no such path: the MCP endpoint is /mcp"};
    case RefusalKind::MethodNotAllowed:
      return {kind, 405, "method not allowed"};
    case RefusalKind::ForbiddenHost:
      return {kind, 403, "Host header does not name this server"};
    case RefusalKind::ForbiddenOrigin:
      return {kind, 403, "Origin not allowed"};
    case RefusalKind::Unauthorized:
      return {kind, 401, "missing or wrong bearer token"};
    case RefusalKind::PayloadTooLarge:
      return {kind, 413, "request body larger than " + std::to_string(kMaxBodyBytes) + " bytes"};
    case RefusalKind::BadFraming:
      return {kind, 400, "conflicting or malformed Content-Length"};
    case RefusalKind::LengthRequired:
      return {kind, 411,
              "a request body needs a Content-Length of at most " +
                  std::to_string(kMaxBodyBytes) + " bytes (no chunked bodies)"};
  }
  return {kind, 500, "unknown refusal"};
}

BodyFraming body_framing(const std::vector<std::string_view>& lengths, bool transfer_encoded) {
  BodyFraming framing;
  framing.transfer_encoded = transfer_encoded;
  for (std::string_view text : lengths) {
    std::size_t value = 0;
    bool digits = !text.empty();
    for (char c : text) {
      if (c < '0' || c > '9') digits = false;
      // Saturates: any absurd length is simply over the limit.
      if (digits) value = value > kMaxBodyBytes * 10 ? value : value * 10 + std::size_t(c - '0');
    }
    if (!digits || (framing.length && *framing.length != value)) {
      framing.conflicting = true;
      framing.length.reset();
      return framing;
    }
    framing.length = value;
  }
  return framing;
}

std::optional<Refusal> refuse_request(const HttpSecurity& security, const RequestFacts& request) {
  bool health = request.path == kHealthPath;
  if (!health && request.path != kMcpPath) return make_refusal(RefusalKind::NotFound);
  bool known = request.method == "GET" || request.method == "POST" || request.method == "DELETE";
  if (!known || (health && request.method != "GET")) {
    return make_refusal(RefusalKind::MethodNotAllowed);
  }
  if (request.framing.conflicting) return make_refusal(RefusalKind::BadFraming);
  if (!request.host || !host_allowed(security, *request.host)) {
    return make_refusal(RefusalKind::ForbiddenHost);
  }
  if (request.origin && !origin_allowed(security, *request.origin)) {
    return make_refusal(RefusalKind::ForbiddenOrigin);
  }
  if (!health && security.token) {
    auto given = request.authorization ? bearer_token(*request.authorization) : std::nullopt;
    if (!given || !constant_time_equal(*given, *security.token)) {
      return make_refusal(RefusalKind::Unauthorized);
    }
  }
  const BodyFraming& framing = request.framing;
  if (framing.transfer_encoded || (request.method == "POST" && !framing.length)) {
    return make_refusal(RefusalKind::LengthRequired);
  }
  if (framing.length && *framing.length > kMaxBodyBytes) {
    return make_refusal(RefusalKind::PayloadTooLarge);
  }
  return std::nullopt;
}

bool constant_time_equal(std::string_view a, std::string_view b) {
  // Every byte of the expected value is visited whatever the given one holds.
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  for (std::size_t i = 0; i < b.size(); ++i) {
    unsigned char given = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    diff |= static_cast<unsigned char>(given ^ static_cast<unsigned char>(b[i]));
  }
  return diff == 0;
}

}  // namespace winhelper::mcp
