#pragma once
// How a captured image is encoded: a fixed format, or a byte budget for its
// Base64 text that chooses the format. Under a budget the lossless PNG is
// sent when it fits; otherwise JPEG at the first quality step that fits;
// when even the lowest step does not fit, the image is shrunk further (from
// the size the byte count suggests) and encoded at the lowest step until it
// fits or its longer side reaches kMinFittedSide.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "capture/scaling.h"
#include "common/result.h"

namespace winhelper {

enum class ImageFormat { Png, Jpeg };

inline constexpr int kDefaultJpegQuality = 80;
// Tried in this order when the PNG is over budget: the first keeps text
// crisp, the last still reads at a glance.
inline constexpr std::array<int, 4> kBudgetJpegQualities = {85, 70, 55, 40};
// Shrinking to fit stops here: below it the picture shows nothing useful.
inline constexpr std::uint32_t kMinFittedSide = 64;

// The limits a front end sets for the images of its looks (the MCP server's;
// the line protocol has none).
struct ImageBudget {
  std::uint32_t max_side = 1568;
  std::size_t max_base64_bytes = std::size_t{1} << 20;
};

struct ImageEncoding {
  ImageFormat format = ImageFormat::Png;  // without a budget
  int jpeg_quality = kDefaultJpegQuality;  // for ImageFormat::Jpeg, within 1..100
  // The most Base64 text the image may take; when set, it chooses the format.
  std::optional<std::size_t> max_base64_bytes;
};

struct EncodedImage {
  ImageFormat format = ImageFormat::Png;
  ImageSize size;
  int jpeg_quality = 0;  // 0 for PNG
  // Made smaller than asked for so that its bytes fit the budget.
  bool shrunk_to_fit = false;
  std::vector<std::uint8_t> bytes;
};

// The encoders and the resampler behind encode_image, replaceable so the
// choices can be checked against encoders of known output size.
struct ImageCodecs {
  std::function<Result<std::vector<std::uint8_t>>(std::span<const std::uint8_t>, ImageSize)> png;
  std::function<Result<std::vector<std::uint8_t>>(std::span<const std::uint8_t>, ImageSize, int)>
      jpeg;
  std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>, ImageSize, ImageSize)>
      resize;
};

// zlib's PNG encoder at its fast preset, libjpeg-turbo and the triangle filter.
const ImageCodecs& standard_image_codecs();

// Encodes `rgba` (size.width * size.height * 4 bytes) as `encoding` asks.
// An encoder's failure is returned unchanged; an image that cannot be made
// to fit fails with capture_failed.
Result<EncodedImage> encode_image(std::span<const std::uint8_t> rgba, ImageSize size,
                                  const ImageEncoding& encoding,
                                  const ImageCodecs& codecs = standard_image_codecs());

}  // namespace winhelper
