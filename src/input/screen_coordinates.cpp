#include "input/screen_coordinates.h"

#include <cmath>
#include <limits>

#include "protocol/args.h"

namespace winhelper {

namespace {
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
}  // namespace

std::int32_t saturate_to_i32(double value) {
  if (std::isnan(value)) return 0;
  double rounded = std::round(value);
  if (rounded <= static_cast<double>(kMin)) return kMin;
  if (rounded >= static_cast<double>(kMax)) return kMax;
  return static_cast<std::int32_t>(rounded);
}

std::optional<std::int32_t> json_to_coordinate(const Json& value) {
  if (value.is_number_unsigned()) {
    auto u = value.get<std::uint64_t>();
    return u >= static_cast<std::uint64_t>(kMax) ? kMax : static_cast<std::int32_t>(u);
  }
  if (value.is_number_integer()) {
    auto i = value.get<std::int64_t>();
    if (i <= kMin) return kMin;
    if (i >= kMax) return kMax;
    return static_cast<std::int32_t>(i);
  }
  if (value.is_number_float()) return saturate_to_i32(value.get<double>());
  return std::nullopt;
}

std::optional<ScreenPoint> json_to_screen_point(const Json& value) {
  const Json* x = arg_member(value, "x");
  const Json* y = arg_member(value, "y");
  if (!x || !y) return std::nullopt;
  auto px = json_to_coordinate(*x);
  auto py = json_to_coordinate(*y);
  if (!px || !py) return std::nullopt;
  return ScreenPoint{*px, *py};
}

}  // namespace winhelper
