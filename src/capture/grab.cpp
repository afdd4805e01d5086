#include "capture/grab.h"

#include <string>

#include "capture/pixels.h"

namespace winhelper {

namespace {

HelperError capture_failed(std::string message) {
  return {ErrorCode::CaptureFailed, std::move(message)};
}

const char* open_failure_message(SurfaceStep step) {
  switch (step) {
    case SurfaceStep::WindowDc: return "GetDC failed";
    case SurfaceStep::MemoryDc: return "CreateCompatibleDC failed";
    case SurfaceStep::Bitmap: return "CreateCompatibleBitmap failed";
  }
  return "GetDC failed";
}

}  // namespace

bool needs_screen_copy(bool printed, int rows_read, bool has_content) {
  return !printed || rows_read == 0 || !has_content;
}

Result<std::vector<std::uint8_t>> grab_window_pixels(ScreenGrabber& grabber, std::int64_t window,
                                                     const ScreenRect& rect, bool print_window) {
  const std::int64_t width = std::int64_t{rect.right} - rect.left;
  const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
  if (width <= 0 || height <= 0) return capture_failed("Failed to get window bounds");
  // GDI takes 32-bit sizes; nothing that large fits in memory either.
  if (width > INT32_MAX || height > INT32_MAX)
    return capture_failed("Not enough memory to capture the window");

  auto opened = grabber.open_surface(window, static_cast<std::int32_t>(width),
                                     static_cast<std::int32_t>(height));
  if (const SurfaceStep* step = std::get_if<SurfaceStep>(&opened))
    return capture_failed(open_failure_message(*step));
  std::unique_ptr<GrabSurface> surface = std::move(std::get<std::unique_ptr<GrabSurface>>(opened));

  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                   4);
  int rows = 0;
  bool copy_screen = true;
  if (print_window) {
    const bool printed = surface->print_window();
    rows = surface->read_pixels(pixels);
    copy_screen = needs_screen_copy(printed, rows, rows != 0 && has_visible_content(pixels));
  }
  if (copy_screen) {
    // Only a successful copy replaces the first grab, if any; its read decides.
    if (surface->copy_from_screen(static_cast<std::int32_t>(rect.left),
                                  static_cast<std::int32_t>(rect.top)) == ScreenCopy::Copied)
      rows = surface->read_pixels(pixels);
  }
  surface.reset();
  if (rows == 0) return capture_failed("GetDIBits failed to retrieve bitmap data");
  return pixels;
}

}  // namespace winhelper
