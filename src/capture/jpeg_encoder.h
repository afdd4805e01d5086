#pragma once
// JPEG encoding of 8-bit RGBA images through libjpeg-turbo's libjpeg API
// (the alpha byte is ignored) at the library's defaults: baseline, 4:2:0
// chroma subsampling, the accurate integer DCT.

#include <cstdint>
#include <span>
#include <vector>

#include "common/result.h"

namespace winhelper {

inline constexpr int kJpegQualityMin = 1;
inline constexpr int kJpegQualityMax = 100;

// `rgba` holds width * height * 4 bytes, rows top to bottom; width and height
// are at least 1 and at most 65,500 (JPEG's limit); `quality` is within
// 1..100. Fails with capture_failed and "JPEG encoding failed: " followed by
// the library's message.
Result<std::vector<std::uint8_t>> encode_jpeg_rgba(std::span<const std::uint8_t> rgba,
                                                   std::uint32_t width, std::uint32_t height,
                                                   int quality);

}  // namespace winhelper
