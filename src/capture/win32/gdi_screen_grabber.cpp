#include "capture/win32/gdi_screen_grabber.h"

#include <windows.h>

#include "capture/win32/gdi_objects.h"

namespace winhelper {

namespace {

HWND to_hwnd(std::int64_t window) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
}

// Members are destroyed in reverse order: the selection is undone first, then
// the bitmap, the memory context and the window's context go.
class GdiSurface final : public GrabSurface {
 public:
  GdiSurface(HWND window, std::int32_t width, std::int32_t height, gdi::WindowDc window_dc,
             gdi::MemoryDc memory_dc, gdi::Bitmap bitmap)
      : window_(window), width_(width), height_(height), window_dc_(std::move(window_dc)),
        memory_dc_(std::move(memory_dc)), bitmap_(std::move(bitmap)),
        selection_(memory_dc_.get(), bitmap_.get()) {}

  bool print_window() override { return PrintWindow(window_, memory_dc_.get(), 0) != 0; }

  int read_pixels(std::span<std::uint8_t> bgra) override {
    if (bgra.size() / 4 / static_cast<std::size_t>(width_) < static_cast<std::size_t>(height_))
      return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return GetDIBits(memory_dc_.get(), bitmap_.get(), 0, static_cast<UINT>(height_), bgra.data(),
                     &info, DIB_RGB_COLORS);
  }

  ScreenCopy copy_from_screen(std::int32_t left, std::int32_t top) override {
    gdi::WindowDc screen(nullptr);
    if (!screen) return ScreenCopy::NoScreenDc;
    const BOOL copied =
        BitBlt(memory_dc_.get(), 0, 0, width_, height_, screen.get(), left, top, SRCCOPY);
    return copied ? ScreenCopy::Copied : ScreenCopy::BlitFailed;
  }

 private:
  HWND window_;
  std::int32_t width_;
  std::int32_t height_;
  gdi::WindowDc window_dc_;
  gdi::MemoryDc memory_dc_;
  gdi::Bitmap bitmap_;
  gdi::Selection selection_;
};

}  // namespace

bool GdiScreenGrabber::is_minimized(std::int64_t window) { return IsIconic(to_hwnd(window)) != 0; }

std::optional<ScreenRect> GdiScreenGrabber::window_rect(std::int64_t window) {
  RECT r{};
  if (!GetWindowRect(to_hwnd(window), &r)) return std::nullopt;
  return ScreenRect{r.left, r.top, r.right, r.bottom};
}

std::variant<std::unique_ptr<GrabSurface>, SurfaceStep> GdiScreenGrabber::open_surface(
    std::int64_t window, std::int32_t width, std::int32_t height) {
  const HWND hwnd = to_hwnd(window);
  gdi::WindowDc window_dc(hwnd);
  if (!window_dc) return SurfaceStep::WindowDc;
  gdi::MemoryDc memory_dc(window_dc.get());
  if (!memory_dc) return SurfaceStep::MemoryDc;
  gdi::Bitmap bitmap(window_dc.get(), width, height);
  if (!bitmap) return SurfaceStep::Bitmap;
  return std::make_unique<GdiSurface>(hwnd, width, height, std::move(window_dc),
                                      std::move(memory_dc), std::move(bitmap));
}

}  // namespace winhelper
