#pragma once
// A rectangle in physical screen pixels, as the system reports a window's or
// an element's bounds: right and bottom lie just outside it.

#include <cstdint>

namespace winhelper {

struct ScreenRect {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;

  bool operator==(const ScreenRect&) const = default;
};

}  // namespace winhelper
