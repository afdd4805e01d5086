#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "capture/base64.h"
#include "capture/image_encoding.h"
#include "capture/jpeg_encoder.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#include <stb/stb_image.h>

namespace winhelper {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Codecs whose output size is known: PNG takes `png_per_pixel` bytes a
// pixel, JPEG quality q takes q / 100 * `jpeg_per_pixel`. Each call is
// recorded as "png WxH", "jpeg WxH qN" or "resize WxH".
struct SizedCodecs {
  double png_per_pixel = 1;
  double jpeg_per_pixel = 1;
  std::vector<std::string> calls;

  static Bytes bytes(ImageSize s, double per_pixel) {
    return Bytes(static_cast<std::size_t>(std::ceil(double(s.width) * s.height * per_pixel)), 0);
  }
  static std::string dims(ImageSize s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height);
  }
  ImageCodecs codecs() {
    return {[this](std::span<const std::uint8_t>, ImageSize s) -> Result<Bytes> {
              calls.push_back("png " + dims(s));
              return bytes(s, png_per_pixel);
            },
            [this](std::span<const std::uint8_t>, ImageSize s, int q) -> Result<Bytes> {
              calls.push_back("jpeg " + dims(s) + " q" + std::to_string(q));
              return bytes(s, jpeg_per_pixel * q / 100.0);
            },
            [this](std::span<const std::uint8_t>, ImageSize, ImageSize to) {
              calls.push_back("resize " + dims(to));
              return Bytes(std::size_t{to.width} * to.height * 4, 0);
            }};
  }
};

ImageEncoding budget(std::size_t max_base64) {
  ImageEncoding e;
  e.max_base64_bytes = max_base64;
  return e;
}

TEST(ImageEncoding, BudgetPrefersPngThenTheFirstJpegQualityThatFits) {
  const ImageSize size{100, 50};  // 5,000 pixels
  struct Case {
    const char* name;
    double png_per_pixel;
    double jpeg_per_pixel;
    ImageFormat format;
    int quality;
    std::size_t encodes;
  };
  // Budget: 6,000 bytes of Base64, i.e. 4,500 bytes of file (0.9 a pixel).
  const Case cases[] = {
      {"png fits", 0.9, 9, ImageFormat::Png, 0, 1},
      {"first step fits", 2, 1.0, ImageFormat::Jpeg, 85, 2},
      {"third step fits", 2, 1.5, ImageFormat::Jpeg, 55, 4},
      {"last step fits", 2, 2.2, ImageFormat::Jpeg, 40, 5},
  };
  for (const Case& c : cases) {
    SizedCodecs fake{c.png_per_pixel, c.jpeg_per_pixel, {}};
    Result<EncodedImage> image = encode_image({}, size, budget(6000), fake.codecs());
    ASSERT_TRUE(image.ok()) << c.name;
    EXPECT_EQ(image->format, c.format) << c.name;
    EXPECT_EQ(image->jpeg_quality, c.quality) << c.name;
    EXPECT_EQ(image->size, size) << c.name;
    EXPECT_FALSE(image->shrunk_to_fit) << c.name;
    EXPECT_LE(base64_length(image->bytes.size()), 6000u) << c.name;
    EXPECT_EQ(fake.calls.size(), c.encodes) << c.name;
  }
}

TEST(ImageEncoding, WhenNoQualityFitsTheImageShrinksUntilItDoes) {
  SizedCodecs fake{8, 8, {}};
  const ImageSize size{1568, 858};
  Result<EncodedImage> image = encode_image({}, size, budget(1 << 20), fake.codecs());
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->format, ImageFormat::Jpeg);
  EXPECT_EQ(image->jpeg_quality, 40);
  EXPECT_TRUE(image->shrunk_to_fit);
  EXPECT_LE(base64_length(image->bytes.size()), std::size_t{1} << 20);
  EXPECT_LT(image->size.width, size.width);
  // The aspect ratio is kept, and the budget is not given away needlessly.
  EXPECT_NEAR(double(image->size.width) / image->size.height, 1568.0 / 858, 0.01);
  EXPECT_GT(base64_length(image->bytes.size()), std::size_t{1} << 19);
  ASSERT_GE(fake.calls.size(), 7u);
  EXPECT_EQ(fake.calls[5], "resize " + SizedCodecs::dims(image->size));
  EXPECT_EQ(fake.calls.back(), "jpeg " + SizedCodecs::dims(image->size) + " q40");
}

TEST(ImageEncoding, AnImageThatCannotFitFailsAtTheSmallestSide) {
  SizedCodecs fake{8, 8, {}};
  Result<EncodedImage> image = encode_image({}, {800, 400}, budget(100), fake.codecs());
  ASSERT_FALSE(image.ok());
  EXPECT_EQ(image.error().code, ErrorCode::CaptureFailed);
  EXPECT_EQ(image.error().message,
            "The image does not fit 100 bytes of Base64 even at 64x32 pixels");
  // An image already at the smallest side is not resized at all.
  SizedCodecs small{8, 8, {}};
  EXPECT_FALSE(encode_image({}, {64, 10}, budget(100), small.codecs()).ok());
  EXPECT_EQ(small.calls.size(), 5u);
}

TEST(ImageEncoding, WithoutBudgetTheAskedFormatIsUsedWhateverItsSize) {
  SizedCodecs fake{50, 50, {}};
  ImageEncoding jpeg;
  jpeg.format = ImageFormat::Jpeg;
  jpeg.jpeg_quality = 33;
  Result<EncodedImage> image = encode_image({}, {10, 10}, jpeg, fake.codecs());
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->jpeg_quality, 33);
  EXPECT_EQ(fake.calls, std::vector<std::string>{"jpeg 10x10 q33"});
  Result<EncodedImage> png = encode_image({}, {10, 10}, ImageEncoding{}, fake.codecs());
  ASSERT_TRUE(png.ok());
  EXPECT_EQ(png->format, ImageFormat::Png);
  EXPECT_EQ(png->jpeg_quality, 0);
}

TEST(JpegEncoder, DecodesToTheSizeAndColoursItWasGiven) {
  // Left half red, right half blue; alpha is ignored.
  const std::uint32_t w = 64, h = 48;
  Bytes rgba(std::size_t{w} * h * 4);
  for (std::uint32_t i = 0; i < w * h; ++i) {
    const bool left = i % w < w / 2;
    rgba[i * 4] = left ? 220 : 10;
    rgba[i * 4 + 2] = left ? 10 : 220;
    rgba[i * 4 + 3] = 7;
  }
  Result<Bytes> jpeg = encode_jpeg_rgba(rgba, w, h, 90);
  ASSERT_TRUE(jpeg.ok());
  int dw = 0, dh = 0, channels = 0;
  stbi_uc* pixels =
      stbi_load_from_memory(jpeg->data(), static_cast<int>(jpeg->size()), &dw, &dh, &channels, 3);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(dw, 64);
  EXPECT_EQ(dh, 48);
  const std::size_t left = (10 * w + 5) * 3, right = (10 * w + 58) * 3;
  EXPECT_NEAR(pixels[left], 220, 12);
  EXPECT_NEAR(pixels[left + 2], 10, 12);
  EXPECT_NEAR(pixels[right], 10, 12);
  EXPECT_NEAR(pixels[right + 2], 220, 12);
  stbi_image_free(pixels);

  EXPECT_LT(encode_jpeg_rgba(rgba, w, h, 20)->size(), jpeg->size());
  EXPECT_EQ(encode_jpeg_rgba(rgba, w, h, 0).error().message,
            "JPEG encoding failed: quality 0 is outside 1..100");
  // The library's own refusal comes back as a failure, not a crash.
  const Bytes wide(70000 * 4);
  Result<Bytes> too_wide = encode_jpeg_rgba(wide, 70000, 1, 80);
  ASSERT_FALSE(too_wide.ok());
  EXPECT_EQ(too_wide.error().code, ErrorCode::CaptureFailed);
  EXPECT_GT(too_wide.error().message.size(), std::string("JPEG encoding failed: ").size());
}

}  // namespace
}  // namespace winhelper
