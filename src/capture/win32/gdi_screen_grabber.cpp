#include "capture/win32/gdi_screen_grabber.h"

#include <windows.h>

#include "common/win32/unique_handle.h"

namespace winhelper {

namespace {

HWND to_hwnd(std::int64_t window) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
}

using win32::UniqueBitmap;
using win32::UniqueDc;
using win32::UniqueWindowDc;

// Members are destroyed in reverse order: the selection is undone first, then
// the bitmap, the memory context and the window's context go.
class GdiSurface final : public GrabSurface {
 public:
  GdiSurface(HWND window, std::int32_t width, std::int32_t height, UniqueWindowDc window_dc,
             UniqueDc memory_dc, UniqueBitmap bitmap)
      : window_(window),
        width_(width),
        height_(height),
        window_dc_(std::move(window_dc)),
        memory_dc_(std::move(memory_dc)),
        bitmap_(std::move(bitmap)),
        selection_(win32::select_object(memory_dc_.get(), bitmap_.get())) {}

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
    UniqueWindowDc screen = win32::get_window_dc(nullptr);
    if (!screen) return ScreenCopy::NoScreenDc;
    const BOOL copied =
        BitBlt(memory_dc_.get(), 0, 0, width_, height_, screen.get().dc, left, top, SRCCOPY);
    return copied ? ScreenCopy::Copied : ScreenCopy::BlitFailed;
  }

 private:
  HWND window_;
  std::int32_t width_;
  std::int32_t height_;
  UniqueWindowDc window_dc_;
  UniqueDc memory_dc_;
  UniqueBitmap bitmap_;
  win32::UniqueSelection selection_;
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
  UniqueWindowDc window_dc = win32::get_window_dc(hwnd);
  if (!window_dc) return SurfaceStep::WindowDc;
  UniqueDc memory_dc(CreateCompatibleDC(window_dc.get().dc));
  if (!memory_dc) return SurfaceStep::MemoryDc;
  UniqueBitmap bitmap(CreateCompatibleBitmap(window_dc.get().dc, width, height));
  if (!bitmap) return SurfaceStep::Bitmap;
  return std::make_unique<GdiSurface>(hwnd, width, height, std::move(window_dc),
                                      std::move(memory_dc), std::move(bitmap));
}

}  // namespace winhelper
