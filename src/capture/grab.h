#pragma once
// Grabbing one window's pixels through the capture port: the window prints
// itself first; when that fails or yields an all-black picture, the window's
// area is copied from the screen instead (which shows whatever covers it).

#include <cstdint>
#include <vector>

#include "capture/screen_grabber.h"
#include "common/result.h"

namespace winhelper {

// Whether the print-window grab must be replaced by a screen copy.
bool needs_screen_copy(bool printed, int rows_read, bool has_content);

// Returns width * height * 4 bytes of blue-green-red-x pixels, rows top to
// bottom, for the window rectangle `rect` (positive size). Without
// `print_window` the screen copy is the only grab. Fails with
// capture_failed and the message of the step that failed; every surface and
// screen context is released before returning, also when the pixel buffer
// cannot be allocated (std::bad_alloc passes through).
Result<std::vector<std::uint8_t>> grab_window_pixels(ScreenGrabber& grabber, std::int64_t window,
                                                     const ScreenRect& rect,
                                                     bool print_window = true);

}  // namespace winhelper
