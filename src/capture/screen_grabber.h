#pragma once
// The capture port: what the core needs from the operating system to grab
// one window's pixels. The Win32 adapter does the GDI calls and owns the GDI
// objects; the order of the steps, the content test and the screen-copy
// fallback are decided by the core (grab.h).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <variant>

#include "common/rect.h"

namespace winhelper {

// Outcome of copying the screen into a surface.
enum class ScreenCopy {
  Copied,
  NoScreenDc,   // the screen's device context could not be had
  BlitFailed,   // the copy itself failed; the surface holds what it held
};

// The step at which opening a surface failed. Whatever was acquired before
// that step has already been released.
enum class SurfaceStep {
  WindowDc,
  MemoryDc,
  Bitmap,
};

// One grab in progress: the window's device context, a compatible memory
// context and a bitmap of the grab's size selected into it. Destroying the
// surface selects the previous object back, deletes the bitmap and the
// memory context and releases the window's context, in that order.
class GrabSurface {
 public:
  virtual ~GrabSurface() = default;
  // Has the window draw itself into the bitmap; false when the system says
  // it could not.
  virtual bool print_window() = 0;
  // Copies the bitmap into `bgra` as top-down rows of 32-bit pixels (blue,
  // green, red, fourth byte); `bgra` holds width * height * 4 bytes. Returns
  // the number of rows copied, 0 on failure.
  virtual int read_pixels(std::span<std::uint8_t> bgra) = 0;
  // Copies the screen area whose top-left corner is (left, top), of the
  // surface's size, into the bitmap. The screen context is released before
  // returning.
  virtual ScreenCopy copy_from_screen(std::int32_t left, std::int32_t top) = 0;
};

class ScreenGrabber {
 public:
  virtual ~ScreenGrabber() = default;
  // `window` is the window handle's value.
  virtual bool is_minimized(std::int64_t window) = 0;
  virtual std::optional<ScreenRect> window_rect(std::int64_t window) = 0;
  // Width and height are positive.
  virtual std::variant<std::unique_ptr<GrabSurface>, SurfaceStep> open_surface(
      std::int64_t window, std::int32_t width, std::int32_t height) = 0;
};

}  // namespace winhelper
