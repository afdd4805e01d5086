#pragma once
// The capture port over user32 and gdi32: window state, window rectangles
// and grab surfaces (window DC, memory DC, bitmap).

#include "capture/screen_grabber.h"

namespace winhelper {

class GdiScreenGrabber final : public ScreenGrabber {
 public:
  bool is_minimized(std::int64_t window) override;
  std::optional<ScreenRect> window_rect(std::int64_t window) override;
  std::variant<std::unique_ptr<GrabSurface>, SurfaceStep> open_surface(
      std::int64_t window, std::int32_t width, std::int32_t height) override;
};

}  // namespace winhelper
