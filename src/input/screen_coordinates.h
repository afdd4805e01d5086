#pragma once
// Conversion of JSON numbers and JSON points to screen coordinates.

#include <cstdint>
#include <optional>

#include "input/input_event.h"
#include "protocol/request.h"

namespace winhelper {

// Integers are taken as they are, floating values rounded to the nearest
// integer (halves away from zero); the result saturates to the 32-bit range.
// A NaN gives 0.
std::int32_t saturate_to_i32(double value);
// Nothing when the value is not a JSON number.
std::optional<std::int32_t> json_to_coordinate(const Json& value);

// A JSON object with numeric `x` and `y`; nothing for anything else.
std::optional<ScreenPoint> json_to_screen_point(const Json& value);

}  // namespace winhelper
