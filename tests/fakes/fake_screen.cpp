#include "fakes/fake_screen.h"

#include <algorithm>
#include <cstring>

namespace winhelper::fakes {

namespace {

class FakeSurface final : public GrabSurface {
 public:
  FakeSurface(FakeScreen& screen, const FakeCaptureWindow& window, std::int32_t width,
              std::int32_t height)
      : screen_(screen), window_(window),
        bitmap_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0) {}
  ~FakeSurface() override {
    screen_.record("SelectObject(previous)");
    screen_.record("DeleteObject");
    screen_.record("DeleteDC");
    screen_.record("ReleaseDC");
    screen_.held -= 4;
  }

  bool print_window() override {
    screen_.record("PrintWindow");
    if (screen_.fail.print_window) return false;
    paint(window_.printed);
    return true;
  }

  int read_pixels(std::span<std::uint8_t> bgra) override {
    screen_.record("GetDIBits");
    reads_ += 1;
    if (screen_.fail.failing_read == reads_) return 0;
    std::copy_n(bitmap_.begin(), std::min(bitmap_.size(), bgra.size()), bgra.begin());
    return static_cast<int>(bitmap_.size() / 4 / static_cast<std::size_t>(std::max(1, width())));
  }

  ScreenCopy copy_from_screen(std::int32_t left, std::int32_t top) override {
    screen_.record("GetDC(screen)");
    if (screen_.fail.screen_dc) return ScreenCopy::NoScreenDc;
    screen_.held += 1;
    screen_.record("BitBlt(" + std::to_string(left) + "," + std::to_string(top) + ")");
    ScreenCopy outcome = ScreenCopy::BlitFailed;
    if (!screen_.fail.blit) {
      paint(window_.on_screen);
      outcome = ScreenCopy::Copied;
    }
    screen_.record("ReleaseDC(screen)");
    screen_.held -= 1;
    return outcome;
  }

 private:
  std::int32_t width() const { return window_.rect.right - window_.rect.left; }
  void paint(const std::vector<std::uint8_t>& pixels) {
    if (pixels.size() == bitmap_.size())
      bitmap_ = pixels;
    else
      std::fill(bitmap_.begin(), bitmap_.end(), 0);
  }

  FakeScreen& screen_;
  const FakeCaptureWindow& window_;
  std::vector<std::uint8_t> bitmap_;
  int reads_ = 0;
};

}  // namespace

bool FakeScreen::is_minimized(std::int64_t window) {
  auto it = windows.find(window);
  return it != windows.end() && it->second.minimized;
}

std::optional<ScreenRect> FakeScreen::window_rect(std::int64_t window) {
  record("GetWindowRect");
  auto it = windows.find(window);
  if (it == windows.end() || it->second.rect_fails) return std::nullopt;
  return it->second.rect;
}

std::variant<std::unique_ptr<GrabSurface>, SurfaceStep> FakeScreen::open_surface(
    std::int64_t window, std::int32_t width, std::int32_t height) {
  record("GetDC");
  auto it = windows.find(window);
  if (fail.window_dc || it == windows.end()) return SurfaceStep::WindowDc;
  record("CreateCompatibleDC");
  if (fail.memory_dc) {
    record("ReleaseDC");
    return SurfaceStep::MemoryDc;
  }
  record("CreateCompatibleBitmap");
  if (fail.bitmap) {
    record("DeleteDC");
    record("ReleaseDC");
    return SurfaceStep::Bitmap;
  }
  record("SelectObject");
  auto surface = std::make_unique<FakeSurface>(*this, it->second, width, height);
  held += 4;
  return surface;
}

std::vector<std::uint8_t> FakeScreen::solid(std::int32_t width, std::int32_t height,
                                            std::uint8_t blue, std::uint8_t green, std::uint8_t red,
                                            std::uint8_t fourth) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (std::size_t i = 0; i < px.size(); i += 4) {
    px[i] = blue;
    px[i + 1] = green;
    px[i + 2] = red;
    px[i + 3] = fourth;
  }
  return px;
}

void FakeScreen::record(std::string call) {
  std::lock_guard<std::mutex> hold(calls_mutex_);
  calls.push_back(std::move(call));
}

}  // namespace winhelper::fakes
