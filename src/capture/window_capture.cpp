#include "capture/window_capture.h"

#include <new>
#include <stdexcept>

#include "capture/base64.h"
#include "capture/grab.h"
#include "capture/pixels.h"
#include "capture/scaling.h"
#include "common/state_ids.h"

namespace winhelper {

namespace {

constexpr const char* kStatePrefix = "s";

Result<CaptureResult> run_capture(ScreenGrabber& grabber, const CaptureRequest& request) {
  CaptureResult result;
  result.target = "@w" + std::to_string(request.window_number);
  if (!request.window_handle)
    return target_not_found("Window ref '" + result.target + "' not found");
  const std::int64_t window = *request.window_handle;

  if (grabber.is_minimized(window)) result.warnings.emplace_back("window_minimized");
  const std::optional<ScreenRect> rect = grabber.window_rect(window);
  if (!rect) return HelperError{ErrorCode::CaptureFailed, "Failed to get window bounds"};
  result.x = static_cast<std::int32_t>(rect->left);
  result.y = static_cast<std::int32_t>(rect->top);
  const std::int64_t width = std::int64_t{rect->right} - rect->left;
  const std::int64_t height = std::int64_t{rect->bottom} - rect->top;
  if (width <= 0 || height <= 0) {
    result.warnings.emplace_back("zero_sized_window");
    result.state_id = next_state_id(kStatePrefix);
    return result;
  }

  Result<std::vector<std::uint8_t>> grabbed =
      grab_window_pixels(grabber, window, *rect, request.print_window);
  if (!grabbed) return grabbed.take_error();
  std::vector<std::uint8_t> pixels = std::move(grabbed).value();
  bgrx_to_opaque_rgba(pixels);

  const ImageSize source{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  const ImageSize size = scaled_size(source, request.max_dimension);
  if (size != source) {
    std::vector<std::uint8_t> scaled = resize_rgba(pixels, source, size);
    if (scaled.empty())
      return HelperError{ErrorCode::CaptureFailed, "Failed to scale the window image"};
    pixels = std::move(scaled);
  }

  Result<EncodedImage> image = encode_image(pixels, size, request.encoding);
  if (!image) return image.take_error();
  // The frame is done with: free it before the Base64 text is built, so the
  // peak stays at one frame plus the encoded file.
  std::vector<std::uint8_t>().swap(pixels);
  result.image_base64 = base64_encode(image->bytes);
  result.width = image->size.width;
  result.height = image->size.height;
  result.format = image->format;
  result.jpeg_quality = image->jpeg_quality;
  result.shrunk_to_fit = image->shrunk_to_fit;
  result.state_id = next_state_id(kStatePrefix);
  return result;
}

}  // namespace

Result<CaptureResult> capture_window(ScreenGrabber& grabber, const CaptureRequest& request) {
  // A window larger than memory allows fails as a capture, not as the worker.
  try {
    return run_capture(grabber, request);
  } catch (const std::bad_alloc&) {
    return HelperError{ErrorCode::CaptureFailed, "Not enough memory to capture the window"};
  } catch (const std::length_error&) {
    return HelperError{ErrorCode::CaptureFailed, "Not enough memory to capture the window"};
  }
}

}  // namespace winhelper
