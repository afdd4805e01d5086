#pragma once
// Downscaling of captured images to a largest side.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace winhelper {

// The largest image side any caller may ask for.
inline constexpr std::uint32_t kMaxImageSide = 16384;

struct ImageSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const ImageSize&) const = default;
};

// The size an image of `source` (both sides at least 1) takes for a largest
// side of `max_dimension`. Only shrinks: an absent or zero maximum, or one
// not smaller than the longer side, keeps the size. Each side is the scaled
// side rounded to nearest (halves away from zero) and at least 1.
ImageSize scaled_size(ImageSize source, std::optional<std::uint32_t> max_dimension);

// Resizes an RGBA image with a triangle (linear) filter, treating the four
// channels alike. Empty on failure (allocation).
std::vector<std::uint8_t> resize_rgba(std::span<const std::uint8_t> rgba, ImageSize from,
                                      ImageSize to);

}  // namespace winhelper
