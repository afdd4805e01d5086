#pragma once
// What a look reads from the root record (the window record of the last
// listing): its ref, kind and frame, and the `window` description that the
// look returns.

#include <cstdint>
#include <string>

#include "protocol/request.h"
#include "windows/window_record.h"

namespace winhelper {

struct LookRoot {
  WindowRecord record;
  std::string root_ref;
  std::string kind = "window";
  double frame_x = 0;
  double frame_y = 0;
  // Each at least 1.
  double frame_width = 1;
  double frame_height = 1;
  std::int64_t window_id = 0;
  std::uint64_t pid = 0;
};

LookRoot read_look_root(WindowRecord record);

// Menus are always observed without an image.
bool look_takes_image(const LookRoot& root, bool include_image);

// The `window` member of a look result.
Json describe_look_window(const LookRoot& root);

}  // namespace winhelper
