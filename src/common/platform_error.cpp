#include "common/platform_error.h"

#include <cstdio>

namespace winhelper {

std::string hresult_hex(std::uint32_t code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(code));
  return buf;
}

std::string platform_error_text(std::uint32_t code, std::string_view message) {
  while (!message.empty() && (message.back() == ' ' || message.back() == '\t' ||
                              message.back() == '\r' || message.back() == '\n' ||
                              message.back() == '\v' || message.back() == '\f')) {
    message.remove_suffix(1);
  }
  if (message.empty()) return hresult_hex(code);
  std::string text(message);
  text += " (";
  text += hresult_hex(code);
  text += ')';
  return text;
}

}  // namespace winhelper
