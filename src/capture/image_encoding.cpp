#include "capture/image_encoding.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "capture/base64.h"
#include "capture/jpeg_encoder.h"
#include "capture/png_encoder.h"

namespace winhelper {

namespace {

using Bytes = std::vector<std::uint8_t>;

bool fits(const Bytes& bytes, std::size_t max_base64) {
  return base64_length(bytes.size()) <= max_base64;
}

EncodedImage encoded(ImageFormat format, ImageSize size, int quality, Bytes bytes) {
  return {format, size, format == ImageFormat::Jpeg ? quality : 0, false, std::move(bytes)};
}

// The longer side to try next after `bytes` at `longer` did not fit: the
// byte count shrinks about with the area, so the side goes by the square
// root of the excess, with a tenth to spare; always at least one pixel less.
std::uint32_t next_longer_side(std::uint32_t longer, std::size_t base64, std::size_t max_base64) {
  const double ratio = std::sqrt(static_cast<double>(max_base64) / static_cast<double>(base64));
  const auto side = static_cast<std::uint32_t>(std::floor(longer * ratio * 0.9));
  return std::clamp(side, kMinFittedSide, longer - 1);
}

Result<EncodedImage> shrink_to_fit(std::span<const std::uint8_t> rgba, ImageSize size,
                                   std::size_t last_base64, std::size_t max_base64,
                                   const ImageCodecs& codecs) {
  const int quality = kBudgetJpegQualities.back();
  ImageSize tried = size;
  for (;;) {
    const std::uint32_t longer = std::max(tried.width, tried.height);
    if (longer <= kMinFittedSide) {
      return HelperError{ErrorCode::CaptureFailed,
                         "The image does not fit " + std::to_string(max_base64) +
                             " bytes of Base64 even at " + std::to_string(tried.width) + "x" +
                             std::to_string(tried.height) + " pixels"};
    }
    tried = scaled_size(size, next_longer_side(longer, last_base64, max_base64));
    Bytes smaller = codecs.resize(rgba, size, tried);
    if (smaller.empty())
      return HelperError{ErrorCode::CaptureFailed, "Failed to scale the window image"};
    Result<Bytes> jpeg = codecs.jpeg(smaller, tried, quality);
    if (!jpeg) return jpeg.take_error();
    if (fits(*jpeg, max_base64)) {
      EncodedImage out = encoded(ImageFormat::Jpeg, tried, quality, std::move(jpeg).value());
      out.shrunk_to_fit = true;
      return out;
    }
    last_base64 = base64_length(jpeg->size());
  }
}

Result<EncodedImage> encode_within(std::span<const std::uint8_t> rgba, ImageSize size,
                                   std::size_t max_base64, const ImageCodecs& codecs) {
  Result<Bytes> png = codecs.png(rgba, size);
  if (!png) return png.take_error();
  if (fits(*png, max_base64)) return encoded(ImageFormat::Png, size, 0, std::move(png).value());
  std::size_t last_base64 = base64_length(png->size());
  for (const int quality : kBudgetJpegQualities) {
    Result<Bytes> jpeg = codecs.jpeg(rgba, size, quality);
    if (!jpeg) return jpeg.take_error();
    if (fits(*jpeg, max_base64))
      return encoded(ImageFormat::Jpeg, size, quality, std::move(jpeg).value());
    last_base64 = base64_length(jpeg->size());
  }
  return shrink_to_fit(rgba, size, last_base64, max_base64, codecs);
}

}  // namespace

const ImageCodecs& standard_image_codecs() {
  static const ImageCodecs codecs{
      [](std::span<const std::uint8_t> rgba, ImageSize size) {
        return encode_png_rgba(rgba, size.width, size.height);
      },
      [](std::span<const std::uint8_t> rgba, ImageSize size, int quality) {
        return encode_jpeg_rgba(rgba, size.width, size.height, quality);
      },
      [](std::span<const std::uint8_t> rgba, ImageSize from, ImageSize to) {
        return resize_rgba(rgba, from, to);
      }};
  return codecs;
}

Result<EncodedImage> encode_image(std::span<const std::uint8_t> rgba, ImageSize size,
                                  const ImageEncoding& encoding, const ImageCodecs& codecs) {
  if (encoding.max_base64_bytes)
    return encode_within(rgba, size, *encoding.max_base64_bytes, codecs);
  const int quality = encoding.jpeg_quality;
  Result<Bytes> bytes =
      encoding.format == ImageFormat::Jpeg ? codecs.jpeg(rgba, size, quality) : codecs.png(rgba, size);
  if (!bytes) return bytes.take_error();
  return encoded(encoding.format, size, quality, std::move(bytes).value());
}

}  // namespace winhelper
