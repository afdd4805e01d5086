#pragma once
// Where a physical action goes, as the act routes resolved it from the look.

#include <optional>
#include <string_view>
#include <vector>

namespace winhelper {

// A point in screen pixels, not yet rounded to whole pixels.
struct ScreenPosition {
  double x = 0;
  double y = 0;
  bool operator==(const ScreenPosition&) const = default;
};

// What the host named: a position ("coordinates") or an element
// ("description"). Reported in the result and deciding whether the policy
// check applies to every action.
enum class Grounding { Coordinates, Description };

inline constexpr std::string_view kGroundingCoordinates = "coordinates";
inline constexpr std::string_view kGroundingDescription = "description";

constexpr std::string_view grounding_name(Grounding grounding) {
  return grounding == Grounding::Coordinates ? kGroundingCoordinates : kGroundingDescription;
}

struct PhysicalTarget {
  // Where clicks, scrolls and cursor moves land; none leaves press, click,
  // scroll and moveMouse without a point, and setText typing without a click.
  std::optional<ScreenPosition> point;
  // The drag path; none when the action's params hold no path array.
  std::optional<std::vector<ScreenPosition>> path;
  Grounding grounding = Grounding::Description;
};

}  // namespace winhelper
