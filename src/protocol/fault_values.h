#pragma once
// How the request reader writes an offending value inside its fault
// descriptions ("invalid type: floating point `4.5`, expected ..."):
// a floating-point number in shortest round-trip form ("4.5", "4.0",
// "1e300"), and a string in double quotes with its control characters
// escaped.

#include <string>
#include <string_view>

namespace winhelper {

// A number as the fault descriptions write it.
std::string fault_float_text(double value);
// A string in double quotes, control characters escaped ("\u{1f}").
std::string fault_quoted_text(std::string_view text);

}  // namespace winhelper
