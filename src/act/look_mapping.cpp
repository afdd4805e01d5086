#include "act/look_mapping.h"

#include <algorithm>
#include <cmath>

#include "protocol/args.h"

namespace winhelper {

namespace {

// A NaN ratio (a NaN coordinate) is taken as the frame's origin, so no NaN
// reaches the input layer.
double clamp_ratio(double value, double extent) {
  double ratio = value / std::max(extent, 1.0);
  if (std::isnan(ratio)) return 0.0;
  return std::clamp(ratio, 0.0, 1.0);
}

}  // namespace

ScreenPosition resolve_look_point(const Look& look, double x, double y) {
  // Frame and image sizes are at least 1 by construction; guarded anyway so a
  // carelessly built look cannot collapse every point onto the origin.
  double sx = look.frame_x + clamp_ratio(x, look.image_width) * std::max(look.frame_width, 1.0);
  double sy = look.frame_y + clamp_ratio(y, look.image_height) * std::max(look.frame_height, 1.0);
  return ScreenPosition{sx, sy};
}

std::vector<ScreenPosition> resolve_look_path(const Look& look, const Json& path) {
  std::vector<ScreenPosition> out;
  if (!path.is_array()) return out;
  for (const Json& entry : path) {
    auto x = arg_f64(entry, "x");
    auto y = arg_f64(entry, "y");
    if (x && y) out.push_back(resolve_look_point(look, *x, *y));
  }
  return out;
}

}  // namespace winhelper
