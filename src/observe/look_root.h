#pragma once
// What a look reads from the root record (the window record of the last
// listing): its ref, kind and frame with their fallbacks, and the `window`
// description that the look returns.

#include <cstdint>
#include <string>

#include "protocol/request.h"

namespace winhelper {

struct LookRoot {
  Json record;
  // Empty when the record has no string `rootRef`.
  std::string root_ref;
  // "window" unless the record says otherwise.
  std::string kind = "window";
  double frame_x = 0;
  double frame_y = 0;
  // Each at least 1.
  double frame_width = 1;
  double frame_height = 1;
  // The record's windowId when it is an integer that fits 64 signed bits,
  // else 0.
  std::int64_t window_id = 0;
  // The record's pid when it is a non-negative integer, else 0.
  std::uint64_t pid = 0;
};

LookRoot read_look_root(Json record);

// Menus are always observed without an image.
bool look_takes_image(const LookRoot& root, bool include_image);

// The `window` member of a look result.
Json describe_look_window(const LookRoot& root);

}  // namespace winhelper
