#pragma once
// What a look saw of one element of its outline, kept with the look so that a
// later look can tell what changed since: the element's identity (runtime
// id), its ref in that look, and the fields a change is reported for.

#include <cstdint>
#include <string>
#include <vector>

namespace winhelper {

// The capabilities and states the outline shows for an element.
struct ElementFlags {
  bool can_press = false;
  bool can_set_value = false;
  bool can_scroll = false;
  bool can_focus = false;
  bool text_input = false;
  bool truncated = false;

  bool operator==(const ElementFlags&) const = default;
};

struct SeenElement {
  std::string ref;
  std::vector<std::int32_t> runtime_id;
  // Nesting level in the outline below its top node; 0 for top-level elements.
  std::size_t depth = 0;
  std::string title;
  // Empty for a password field, as in the outline.
  std::string value;
  // Relative to the look's frame origin, in screen pixels (never scaled, so
  // looks of other image sizes compare); width and height at least 1.
  double x = 0;
  double y = 0;
  double width = 1;
  double height = 1;
  ElementFlags flags;
};

}  // namespace winhelper
