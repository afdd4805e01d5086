// PNG encoding: decodes back exactly with an independent reader, the
// vectorised filter matches the byte-wise one, and zlib failures surface.

#include "capture/png_encoder.h"

#include <gtest/gtest.h>

#include <random>

#include "capture/png_filter.h"
#include "png_decode.h"

namespace winhelper {
namespace {

// Noise mixed with flat runs and repeated rows, so every filter wins somewhere.
std::vector<std::uint8_t> mixed_image(std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> px(std::size_t{w} * h * 4);
  for (std::uint32_t y = 0; y < h; ++y) {
    const int kind = static_cast<int>(rng() % 4);
    for (std::uint32_t x = 0; x < w * 4; ++x) {
      std::uint8_t& v = px[std::size_t{y} * w * 4 + x];
      if (kind == 0) v = static_cast<std::uint8_t>(rng());
      else if (kind == 1) v = static_cast<std::uint8_t>(x / 4 * 3 + y);
      else if (kind == 2 && y > 0) v = px[std::size_t{y - 1} * w * 4 + x];
      else v = static_cast<std::uint8_t>(x % 4 == 3 ? 255 : 200 + (x / 64) % 3);
    }
  }
  return px;
}

TEST(PngEncoder, DecodesBackToTheSamePixels) {
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{1, 1}, {3, 2}, {4, 1}, {5, 7}, {17, 9}, {301, 33}};
  for (const auto& [w, h] : sizes) {
    const auto px = mixed_image(w, h, w * 31 + h);
    auto png = encode_png_rgba(px, w, h);
    ASSERT_TRUE(png.ok()) << png.error().message;
    const auto decoded = testing_png::decode_png(*png);
    EXPECT_EQ(decoded.width, static_cast<int>(w));
    EXPECT_EQ(decoded.height, static_cast<int>(h));
    EXPECT_EQ(decoded.channels_in_file, 4);
    EXPECT_EQ(decoded.rgba, px) << w << "x" << h;
  }
}

TEST(PngEncoder, LargeImageSpansSeveralChunksAndStillDecodes) {
  const auto px = mixed_image(1200, 900, 5);
  auto png = encode_png_rgba(px, 1200, 900);
  ASSERT_TRUE(png.ok());
  EXPECT_EQ(testing_png::decode_png(*png).rgba, px);
}

TEST(PngEncoder, ZlibAndSizeFailuresAreReported) {
  const auto px = mixed_image(4, 4, 1);
  PngSettings bad;
  bad.zlib_level = 42;
  auto failed = encode_png_rgba(px, 4, 4, bad);
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().code, ErrorCode::CaptureFailed);
  EXPECT_EQ(failed.error().message, "PNG encoding failed: stream error");

  auto short_buffer = encode_png_rgba(px, 4, 5);
  ASSERT_FALSE(short_buffer.ok());
  EXPECT_EQ(short_buffer.error().message.rfind("PNG encoding failed: ", 0), 0u);
}

TEST(PngFilter, VectorisedChoiceAndOutputMatchTheByteWiseOnes) {
  for (std::uint32_t w : {1u, 4u, 5u, 8u, 13u, 64u, 97u}) {
    const auto px = mixed_image(w, 12, w);
    const std::size_t row_bytes = std::size_t{w} * 4;
    std::vector<std::uint8_t> zero(row_bytes, 0), fast(row_bytes + 1), slow(row_bytes + 1);
    for (std::uint32_t y = 0; y < 12; ++y) {
      const std::uint8_t* row = px.data() + y * row_bytes;
      const std::uint8_t* prev = y == 0 ? zero.data() : row - row_bytes;
      const int a = filter_row_adaptive(row, prev, row_bytes, fast.data());
      const int b = filter_row_adaptive_scalar(row, prev, row_bytes, slow.data());
      EXPECT_EQ(a, b) << "width " << w << " row " << y;
      EXPECT_EQ(fast, slow) << "width " << w << " row " << y;
    }
  }
}

TEST(PngFilter, FlatImageTakesSubOnTheFirstRowAndUpAfter) {
  const std::vector<std::uint8_t> row(64 * 4, 180);
  const std::vector<std::uint8_t> zero(row.size(), 0);
  std::vector<std::uint8_t> out(row.size() + 1);
  // Row 0: Sub leaves only the first pixel; Up equals None there.
  EXPECT_EQ(filter_row_adaptive(row.data(), zero.data(), row.size(), out.data()), 1);
  // Later rows: Up and Paeth are all zeros; the tie goes to Up.
  EXPECT_EQ(filter_row_adaptive(row.data(), row.data(), row.size(), out.data()), 2);
  EXPECT_EQ(std::count(out.begin() + 1, out.end(), 0), static_cast<long>(row.size()));
}

}  // namespace
}  // namespace winhelper
