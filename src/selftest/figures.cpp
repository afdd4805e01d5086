#include "selftest/figures.h"

#include <cstdio>

namespace winhelper::selftest {

std::string fixed(double value, const char* unit) {
  char text[48];
  std::snprintf(text, sizeof text, "%.1f %s", value, unit);
  return text;
}

std::string seconds(std::int64_t ms) { return fixed(static_cast<double>(ms) / 1000, "s"); }

std::string count_of(std::size_t count, const char* things) {
  return std::to_string(count) + " " + things;
}

}  // namespace winhelper::selftest
