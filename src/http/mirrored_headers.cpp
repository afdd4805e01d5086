#include "http/mirrored_headers.h"

#include <array>
#include <cstdint>

namespace winhelper::mcp {

namespace {

constexpr std::string_view kSentinelStart = "=?base64?";
constexpr std::string_view kSentinelEnd = "?=";
// How much of a header value an error message repeats.
constexpr std::size_t kValueShown = 64;

// Visible ASCII, space and tab: what a header value may hold as it is.
bool plain_header_text(std::string_view value) {
  for (char c : value) {
    auto u = static_cast<unsigned char>(c);
    if (!(u == '\t' || (u >= 0x20 && u <= 0x7E))) return false;
  }
  return true;
}

// Standard-alphabet Base64 with its padding; none for anything else.
std::optional<std::string> base64_decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  std::uint32_t bits = 0;
  int count = 0;
  std::size_t padding = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    int v = -1;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=' && i + 2 >= text.size()) {
      ++padding;
      v = 0;
    }
    if (v < 0 || (padding > 0 && c != '=')) return std::nullopt;
    bits = (bits << 6) | static_cast<std::uint32_t>(v);
    if (++count == 4) {
      out.push_back(static_cast<char>(bits >> 16));
      out.push_back(static_cast<char>((bits >> 8) & 0xFF));
      out.push_back(static_cast<char>(bits & 0xFF));
      bits = 0;
      count = 0;
    }
  }
  out.resize(out.size() - padding);
  return out;
}

std::string shown(std::string_view value) {
  return std::string(value.substr(0, kValueShown));
}

RpcError mismatch(std::string message) {
  return {kHeaderMismatch, "Header mismatch: " + std::move(message), nullptr, 400};
}

// The check of one header against the body's value; `body` none when the
// body has no value for it (then only the header's presence is checked).
std::optional<RpcError> check_header(std::string_view header_name,
                                     std::optional<std::string_view> header,
                                     std::optional<std::string_view> body, bool encodable) {
  if (!header) return mismatch(std::string(header_name) + " header is required");
  std::optional<std::string> value =
      encodable ? decode_header_value(*header)
                : (plain_header_text(*header) ? std::optional<std::string>(*header) : std::nullopt);
  if (!value) return mismatch(std::string(header_name) + " header value is malformed");
  if (body && *value != *body) {
    return mismatch(std::string(header_name) + " header value '" + shown(*value) +
                    "' does not match body value '" + shown(*body) + "'");
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> decode_header_value(std::string_view value) {
  if (!plain_header_text(value)) return std::nullopt;
  if (value.size() >= kSentinelStart.size() + kSentinelEnd.size() &&
      value.starts_with(kSentinelStart) && value.ends_with(kSentinelEnd)) {
    return base64_decode(value.substr(
        kSentinelStart.size(), value.size() - kSentinelStart.size() - kSentinelEnd.size()));
  }
  return std::string(value);
}

std::optional<RpcError> check_mirrored_headers(const PostHeaders& headers,
                                               const RpcMessage& message) {
  std::optional<std::string> version = meta_protocol_version(message);
  if (auto e = check_header("MCP-Protocol-Version", headers.protocol_version,
                            version ? std::optional<std::string_view>(*version) : std::nullopt,
                            /*encodable=*/false)) {
    return e;
  }
  if (auto e = check_header("Mcp-Method", headers.method, message.method, /*encodable=*/false)) {
    return e;
  }
  // The methods that name their target; of them this server serves tools/call.
  static constexpr std::array<std::string_view, 3> kNamed = {"tools/call", "resources/read",
                                                              "prompts/get"};
  bool named = false;
  for (std::string_view m : kNamed) named = named || m == message.method;
  if (!named) return std::nullopt;
  std::optional<std::string_view> target;
  if (message.params.is_object()) {
    const char* field = message.method == "resources/read" ? "uri" : "name";
    auto it = message.params.find(field);
    if (it != message.params.end() && it->is_string()) target = it->get_ref<const std::string&>();
  }
  return check_header("Mcp-Name", headers.name, target, /*encodable=*/true);
}

}  // namespace winhelper::mcp
