#pragma once
// PNG encoding of 8-bit RGBA images (colour type 6): adaptive row filtering
// (png_filter.h) and zlib's deflate at its fast preset.

#include <cstdint>
#include <span>
#include <vector>

#include "common/result.h"

namespace winhelper {

struct PngSettings {
  // zlib compression level and strategy (Z_DEFAULT_STRATEGY is 0). Level 1
  // is zlib's fastest preset; the benchmark under bench/ compares others.
  int zlib_level = 1;
  int zlib_strategy = 0;
  // Filter every row adaptively; false writes every row unfiltered (kept for
  // the benchmark's comparison).
  bool adaptive_filter = true;
};

// `rgba` holds width * height * 4 bytes, rows top to bottom; width and height
// are at least 1. Fails with capture_failed and "PNG encoding failed: "
// followed by zlib's error text.
Result<std::vector<std::uint8_t>> encode_png_rgba(std::span<const std::uint8_t> rgba,
                                                  std::uint32_t width, std::uint32_t height,
                                                  const PngSettings& settings = {});

}  // namespace winhelper
