#pragma once
// One stored observation and what it remembers about each element reference
// it handed out. Plain copies: no live UI Automation object is kept.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "context/seen_element.h"

namespace winhelper {

struct ElementRecord {
  std::string automation_id;
  // The UI Automation control type and name the look saw, which resolution
  // checks (0 and empty: not recorded).
  int control_type = 0;
  std::string name;
  // The element's class name and the root window's subrole, joined by one blank.
  std::string class_descriptor;
  std::vector<std::int32_t> runtime_id;
  std::int64_t window_id = 0;
  // Bounds in screen coordinates (not scaled); width and height at least 1.
  double x = 0;
  double y = 0;
  double width = 1;
  double height = 1;
  bool is_password = false;
  bool can_press = false;
  bool can_set_value = false;
  bool can_scroll = false;
};

struct Look {
  // Element ref ("win:look_3:@e17") to its record, inherited refs included.
  std::map<std::string, ElementRecord> elements;
  std::uint64_t pid = 0;
  std::int64_t window_id = 0;
  double frame_x = 0;
  double frame_y = 0;
  double frame_width = 1;
  double frame_height = 1;
  // Equal to the frame size when the look has no image.
  double image_width = 1;
  double image_height = 1;
  bool has_image = false;
  // The elements of the look's own outline, in outline order.
  std::vector<SeenElement> seen;
  // The runtime id of the element a scoped look observed below; none for a
  // look at the whole window.
  std::optional<std::vector<std::int32_t>> scope;
};

}  // namespace winhelper
