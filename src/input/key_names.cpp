#include "input/key_names.h"

#include <string>

#include "common/lowercase.h"

namespace winhelper {

namespace {

struct NamedKey {
  std::string_view name;
  std::uint16_t code;
};

constexpr NamedKey kNamedKeys[] = {
    {"backspace", 8},   {"tab", 9},          {"enter", 13},      {"return", 13},
    {"shift", 16},      {"ctrl", 17},        {"control", 17},    {"alt", 18},
    {"option", 18},     {"esc", 27},         {"escape", 27},     {"space", 32},
    {"pageup", 33},     {"pagedown", 34},    {"end", 35},        {"home", 36},
    {"left", 37},       {"arrowleft", 37},   {"up", 38},         {"arrowup", 38},
    {"right", 39},      {"arrowright", 39},  {"down", 40},       {"arrowdown", 40},
    {"delete", 46},     {"meta", 91},        {"cmd", 91},        {"win", 91},
};

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// "f" then an optional "+" and decimal digits naming F1 to F24.
std::optional<std::uint16_t> function_key(std::string_view name) {
  if (name.size() < 2 || name[0] != 'f') return std::nullopt;
  std::string_view digits = name.substr(1);
  if (digits[0] == '+') digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    if (!is_ascii_digit(c)) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 24) return std::nullopt;  // also keeps long digit runs from overflowing
  }
  if (value < 1) return std::nullopt;
  return static_cast<std::uint16_t>(111 + value);
}

}  // namespace

std::optional<std::uint16_t> key_name_to_virtual_key(std::string_view name) {
  const std::string lower = to_lower_ascii(name);
  if (lower.size() == 1) {
    char c = lower[0];
    if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 'A');
    if (is_ascii_digit(c)) return static_cast<std::uint16_t>(c);
    // Other single characters have no key of their own: their character
    // codes are unrelated virtual keys ("." is Delete, "," is Print Screen,
    // "%" is Left), so sending them would press the wrong key. A blank is
    // the one whose code is its own key.
    if (c == ' ') return 32;
    return std::nullopt;
  }
  for (const auto& key : kNamedKeys) {
    if (key.name == lower) return key.code;
  }
  return function_key(lower);
}

}  // namespace winhelper
