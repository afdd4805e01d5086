#pragma once
// Capturing one top-level window as a PNG or JPEG in Base64, with the frame's place
// and the warnings raised: the entry point the look command calls. Runs on
// the calling thread and holds no lock.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture/image_encoding.h"
#include "capture/screen_grabber.h"
#include "common/result.h"

namespace winhelper {

struct CaptureRequest {
  // The number of the window ref ("@w" + number).
  std::uint64_t window_number = 0;
  // The handle the caller's copy of the window registry holds under that
  // number; nullopt when it holds none.
  std::optional<std::int64_t> window_handle;
  // Largest side of the image; absent or 0 keeps the window's size.
  std::optional<std::uint32_t> max_dimension;
  // False: the picture is copied from the screen without asking the window
  // to draw itself (it would wait for a window that does not answer).
  bool print_window = true;
  ImageEncoding encoding;
};

struct CaptureResult {
  std::string target;  // "@w" + number
  // Window rectangle's top-left corner in screen pixels, before scaling.
  std::int32_t x = 0;
  std::int32_t y = 0;
  // Size of the encoded image; 0 x 0 for a zero-sized window.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Absent for a zero-sized window.
  std::optional<std::string> image_base64;
  ImageFormat format = ImageFormat::Png;
  int jpeg_quality = 0;  // 0 for PNG
  bool shrunk_to_fit = false;
  std::string state_id;
  // In the order raised: "window_minimized", "zero_sized_window".
  std::vector<std::string> warnings;
};

Result<CaptureResult> capture_window(ScreenGrabber& grabber, const CaptureRequest& request);

}  // namespace winhelper
