// The image steps of a capture: pixel order, the content test's threshold,
// scaling arithmetic and resampling, and Base64.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "capture/base64.h"
#include "capture/grab.h"
#include "capture/pixels.h"
#include "capture/scaling.h"

namespace winhelper {
namespace {

TEST(CapturePixels, SwapsBlueAndRedAndMakesEveryPixelOpaque) {
  std::vector<std::uint8_t> px = {1, 2, 3, 0, 10, 20, 30, 77};
  bgrx_to_opaque_rgba(px);
  EXPECT_EQ(px, (std::vector<std::uint8_t>{3, 2, 1, 255, 30, 20, 10, 255}));
}

TEST(CapturePixels, ContentNeedsAColourByteAboveSevenAtASample) {
  std::vector<std::uint8_t> px(200 * 4, 0);
  px[3] = 255;  // the fourth byte never counts
  EXPECT_FALSE(has_visible_content(px));
  px[97 * 4 + 2] = 7;
  EXPECT_FALSE(has_visible_content(px));
  px[97 * 4 + 2] = 8;
  EXPECT_TRUE(has_visible_content(px));
  EXPECT_FALSE(has_visible_content({}));
}

TEST(CaptureFallback, ScreenCopyWhenPrintFailsReadFailsOrPictureIsBlack) {
  EXPECT_FALSE(needs_screen_copy(true, 10, true));
  EXPECT_TRUE(needs_screen_copy(false, 10, true));
  EXPECT_TRUE(needs_screen_copy(true, 0, true));
  EXPECT_TRUE(needs_screen_copy(true, 10, false));
}

TEST(CaptureScaling, LongerSideBecomesTheMaximumWithRoundedSides) {
  const auto size = [](std::uint32_t w, std::uint32_t h, std::optional<std::uint32_t> m) {
    return scaled_size({w, h}, m);
  };
  EXPECT_EQ(size(1000, 500, 100), (ImageSize{100, 50}));
  EXPECT_EQ(size(500, 1000, 100), (ImageSize{50, 100}));
  EXPECT_EQ(size(1000, 500, 1000), (ImageSize{1000, 500}));
  EXPECT_EQ(size(1000, 500, 5000), (ImageSize{1000, 500}));
  EXPECT_EQ(size(1000, 500, 0), (ImageSize{1000, 500}));
  EXPECT_EQ(size(1000, 500, std::nullopt), (ImageSize{1000, 500}));
  EXPECT_EQ(size(3, 1000, 10), (ImageSize{1, 10}));      // 0.03 is raised to 1
  EXPECT_EQ(size(4, 3, 2), (ImageSize{2, 2}));           // 1.5 rounds away from zero
  EXPECT_EQ(size(1000, 500, 999), (ImageSize{999, 500}));  // 499.5 likewise
  EXPECT_EQ(size(1919, 1079, 1000), (ImageSize{1000, 562}));
}

TEST(CaptureScaling, TriangleFilterAveragesNeighbours) {
  // Two columns, black and white, shrunk to one: the mean of both.
  const std::vector<std::uint8_t> px = {0, 0, 0, 255, 255, 255, 255, 255};
  const auto out = resize_rgba(px, {2, 1}, {1, 1});
  ASSERT_EQ(out.size(), 4u);
  EXPECT_NEAR(out[0], 128, 1);
  EXPECT_EQ(out[3], 255);

  std::vector<std::uint8_t> flat(64 * 32 * 4, 90);
  const auto small = resize_rgba(flat, {64, 32}, {7, 3});
  ASSERT_EQ(small.size(), 7u * 3 * 4);
  EXPECT_THAT(small, ::testing::Each(90));
}

TEST(CaptureBase64, StandardAlphabetWithPadding) {
  const auto enc = [](std::string s) {
    return base64_encode({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
  };
  EXPECT_EQ(enc(""), "");
  EXPECT_EQ(enc("f"), "Zg==");
  EXPECT_EQ(enc("fo"), "Zm8=");
  EXPECT_EQ(enc("foo"), "Zm9v");
  EXPECT_EQ(enc("foobar"), "Zm9vYmFy");
  const std::vector<std::uint8_t> high = {0xFB, 0xFF, 0xBF, 0x00};
  EXPECT_EQ(base64_encode(high), "+/+/AA==");
}

}  // namespace
}  // namespace winhelper
