#include "capture/scaling.h"

#include <algorithm>
#include <cmath>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>

namespace winhelper {

namespace {

std::uint32_t scaled_side(std::uint32_t side, double scale) {
  const double scaled = std::round(static_cast<double>(side) * scale);
  return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(scaled));
}

}  // namespace

ImageSize scaled_size(ImageSize source, std::optional<std::uint32_t> max_dimension) {
  const std::uint32_t longer = std::max(source.width, source.height);
  if (!max_dimension || *max_dimension == 0 || *max_dimension >= longer) return source;
  const double scale = static_cast<double>(*max_dimension) / static_cast<double>(longer);
  return {scaled_side(source.width, scale), scaled_side(source.height, scale)};
}

std::vector<std::uint8_t> resize_rgba(std::span<const std::uint8_t> rgba, ImageSize from,
                                      ImageSize to) {
  std::vector<std::uint8_t> out(std::size_t{to.width} * to.height * 4);
  const int ok = stbir_resize_uint8_generic(
      rgba.data(), static_cast<int>(from.width), static_cast<int>(from.height),
      static_cast<int>(from.width * 4), out.data(), static_cast<int>(to.width),
      static_cast<int>(to.height), static_cast<int>(to.width * 4), 4, STBIR_ALPHA_CHANNEL_NONE, 0,
      STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr);
  if (!ok) out.clear();
  return out;
}

}  // namespace winhelper
