#pragma once
// The fake desktop's capture port: pixels per window for the print-window
// grab and for the screen, failures at any step, and a count of the GDI-like
// resources still held so tests can prove every path releases them.

#include <cstdint>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "capture/screen_grabber.h"

namespace winhelper::fakes {

struct FakeCaptureWindow {
  ScreenRect rect;
  bool minimized = false;
  bool rect_fails = false;
  // BGRX pixels the window prints (rect size); empty prints all black.
  std::vector<std::uint8_t> printed;
  // BGRX pixels visible on screen over the window's rectangle; empty is black.
  std::vector<std::uint8_t> on_screen;
};

// Steps that can be made to fail.
struct FakeCaptureFailures {
  bool window_dc = false;
  bool memory_dc = false;
  bool bitmap = false;
  bool print_window = false;
  // Which reads of the bitmap fail: 1 = the first, 2 = the second.
  int failing_read = 0;
  bool screen_dc = false;
  bool blit = false;
};

class FakeScreen final : public ScreenGrabber {
 public:
  std::map<std::int64_t, FakeCaptureWindow> windows;
  FakeCaptureFailures fail;

  // Acquired and not yet released: window DCs, memory DCs, bitmaps, objects
  // selected, screen DCs.
  std::atomic<int> held{0};
  // Every step in call order ("GetDC", "PrintWindow", "BitBlt", ...,
  // "ReleaseDC").
  std::vector<std::string> calls;
  // Appends to `calls`; captures run on several workers at once.
  void record(std::string call);

  bool is_minimized(std::int64_t window) override;
  std::optional<ScreenRect> window_rect(std::int64_t window) override;
  std::variant<std::unique_ptr<GrabSurface>, SurfaceStep> open_surface(
      std::int64_t window, std::int32_t width, std::int32_t height) override;

  // A width x height BGRX image of one colour.
  static std::vector<std::uint8_t> solid(std::int32_t width, std::int32_t height, std::uint8_t blue,
                                         std::uint8_t green, std::uint8_t red,
                                         std::uint8_t fourth = 0);

 private:
  std::mutex calls_mutex_;
};

}  // namespace winhelper::fakes
