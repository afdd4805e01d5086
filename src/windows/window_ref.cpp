#include "windows/window_ref.h"

#include <limits>

#include "common/text.h"

namespace winhelper {

std::string format_window_ref(std::uint64_t number) { return "@w" + std::to_string(number); }

std::optional<std::uint64_t> parse_window_ref(std::string_view text) {
  std::string_view rest = trim_unicode_whitespace(text);
  if (rest.substr(0, 2) != "@w") return std::nullopt;
  rest.remove_prefix(2);
  if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
  if (rest.empty()) return std::nullopt;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return std::nullopt;
    auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (kMax - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace winhelper
