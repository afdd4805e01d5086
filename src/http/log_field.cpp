#include "http/log_field.h"

namespace winhelper::mcp {

std::string log_field(std::string_view text, std::size_t limit) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() < limit ? text.size() : limit);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == limit) return out + "...";
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte >= 0x7f || byte == '\\') {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

}  // namespace winhelper::mcp
