#pragma once
// How the request reader shows offending values in its fault descriptions:
// floating-point numbers in shortest round-trip form ("4.5", "4.0", "1e300")
// and strings quoted with their control characters escaped.

#include <string>
#include <string_view>

namespace winhelper {

std::string rust_float_display(double value);
std::string rust_debug_string(std::string_view text);

}  // namespace winhelper
