#pragma once
// Maps points given in a look's image coordinates to screen pixels.

#include <vector>

#include "act/physical_target.h"
#include "context/look.h"
#include "protocol/request.h"

namespace winhelper {

// screen = frame origin + frame size × clamp(point ÷ image size, 0, 1), in
// 64-bit floating point with no rounding. A point outside the image lands on
// the frame's edge.
ScreenPosition resolve_look_point(const Look& look, double x, double y);

// Maps every entry that is an object with numeric `x` and `y`, in order;
// other entries are skipped, so the result may be shorter or empty.
std::vector<ScreenPosition> resolve_look_path(const Look& look, const Json& path);

}  // namespace winhelper
