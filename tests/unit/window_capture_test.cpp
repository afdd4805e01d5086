// Capture of one window through the fake screen: the grab's failure steps and
// their cleanup, the screen-copy fallback, warnings, scaling and the result.

#include "capture/window_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "capture/base64.h"
#include "common/state_ids.h"
#include "fakes/fake_screen.h"
#include "png_decode.h"

namespace winhelper {
namespace {

using fakes::FakeCaptureFailures;
using fakes::FakeCaptureWindow;
using fakes::FakeScreen;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr std::int64_t kHandle = 0x10042;

class WindowCaptureTest : public ::testing::Test {
 protected:
  // A 40 x 30 window at (-8, 20) that prints itself blue-green and shows red
  // on screen.
  void SetUp() override {
    FakeCaptureWindow w;
    w.rect = {-8, 20, 32, 50};
    w.printed = FakeScreen::solid(40, 30, 200, 100, 10);
    w.on_screen = FakeScreen::solid(40, 30, 0, 0, 250);
    screen.windows[kHandle] = w;
  }

  Result<CaptureResult> capture(std::optional<std::uint32_t> max_dimension = std::nullopt) {
    CaptureRequest request;
    request.window_number = 3;
    request.window_handle = kHandle;
    request.max_dimension = max_dimension;
    return capture_window(screen, request);
  }

  // The first pixel of the decoded image as RGBA.
  static std::array<int, 4> first_pixel(const CaptureResult& r) {
    const testing_png::Decoded png = testing_png::decode_base64(*r.image_base64);
    return {png.rgba[0], png.rgba[1], png.rgba[2], png.rgba[3]};
  }

  bool used_screen_copy() const {
    return std::any_of(screen.calls.begin(), screen.calls.end(),
                       [](const std::string& c) { return c.rfind("BitBlt", 0) == 0; });
  }

  FakeScreen screen;
};

TEST_F(WindowCaptureTest, PrintedWindowIsEncodedAsOpaqueRgbaOfTheWindowSize) {
  auto r = capture();
  ASSERT_TRUE(r.ok()) << r.error().message;
  EXPECT_EQ(r->target, "@w3");
  EXPECT_EQ(r->x, -8);
  EXPECT_EQ(r->y, 20);
  EXPECT_EQ(r->width, 40u);
  EXPECT_EQ(r->height, 30u);
  EXPECT_TRUE(r->warnings.empty());
  EXPECT_FALSE(used_screen_copy());
  const testing_png::Decoded png = testing_png::decode_base64(*r->image_base64);
  EXPECT_EQ(png.width, 40);
  EXPECT_EQ(png.height, 30);
  EXPECT_EQ(first_pixel(*r), (std::array<int, 4>{10, 100, 200, 255}));
  EXPECT_EQ(screen.held, 0);
}

TEST_F(WindowCaptureTest, EveryPixelSurvivesSwapEncodingAndBase64) {
  FakeCaptureWindow w;
  w.rect = {0, 0, 37, 23};
  for (std::size_t i = 0; i < 37u * 23u * 4u; ++i)
    w.printed.push_back(static_cast<std::uint8_t>(i * 7 + i / 148));
  screen.windows[kHandle] = w;
  auto r = capture();
  ASSERT_TRUE(r.ok());
  std::vector<std::uint8_t> expected = w.printed;
  for (std::size_t i = 0; i < expected.size(); i += 4) {
    std::swap(expected[i], expected[i + 2]);
    expected[i + 3] = 255;
  }
  EXPECT_EQ(testing_png::decode_base64(*r->image_base64).rgba, expected);
}

TEST_F(WindowCaptureTest, ResultCarriesTheTargetAndAFreshStateId) {
  auto r = capture();
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->target, "@w3");
  EXPECT_EQ(r->x, -8);
  EXPECT_TRUE(r->warnings.empty());
  EXPECT_THAT(r->state_id, ::testing::StartsWith("s-"));
  auto again = capture();
  ASSERT_TRUE(again.ok());
  EXPECT_NE(again->state_id, r->state_id);
}

TEST_F(WindowCaptureTest, UnknownWindowNumberFailsBeforeAnyCall) {
  CaptureRequest request;
  request.window_number = 77;
  auto r = capture_window(screen, request);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error(), (HelperError{ErrorCode::TargetNotFound, "Window ref '@w77' not found"}));
  EXPECT_TRUE(screen.calls.empty());
}

TEST_F(WindowCaptureTest, BlackPrintFallsBackToTheScreenAtTheWindowCorner) {
  screen.windows[kHandle].printed.clear();
  auto r = capture();
  ASSERT_TRUE(r.ok());
  EXPECT_THAT(screen.calls, ::testing::Contains("BitBlt(-8,20)"));
  EXPECT_EQ(first_pixel(*r), (std::array<int, 4>{250, 0, 0, 255}));
  EXPECT_EQ(screen.held, 0);
}

TEST_F(WindowCaptureTest, ContentTestSamplesEvery97thPixelOnly) {
  auto& printed = screen.windows[kHandle].printed;
  printed = FakeScreen::solid(40, 30, 0, 0, 0);
  // Bright pixels between samples do not count; a byte of 7 is still black.
  printed[96 * 4 + 1] = 255;
  printed[194 * 4] = 7;
  ASSERT_TRUE(capture().ok());
  EXPECT_TRUE(used_screen_copy());

  screen.calls.clear();
  printed[194 * 4] = 8;  // pixel 2 x 97
  ASSERT_TRUE(capture().ok());
  EXPECT_FALSE(used_screen_copy());
}

TEST_F(WindowCaptureTest, FailedPrintOrFirstReadTakesTheScreenCopy) {
  screen.fail.print_window = true;
  auto printed_failed = capture();
  ASSERT_TRUE(printed_failed.ok());
  EXPECT_EQ(first_pixel(*printed_failed)[0], 250);

  screen.fail = {};
  screen.fail.failing_read = 1;
  auto read_failed = capture();
  ASSERT_TRUE(read_failed.ok());
  EXPECT_EQ(first_pixel(*read_failed)[0], 250);
  EXPECT_EQ(screen.held, 0);
}

TEST_F(WindowCaptureTest, FirstGrabStandsWhenTheScreenCannotBeCopied) {
  screen.windows[kHandle].printed.clear();
  screen.fail.screen_dc = true;
  auto no_screen = capture();
  ASSERT_TRUE(no_screen.ok());
  EXPECT_EQ(first_pixel(*no_screen), (std::array<int, 4>{0, 0, 0, 255}));

  screen.fail = {};
  screen.fail.blit = true;
  auto no_blit = capture();
  ASSERT_TRUE(no_blit.ok());
  EXPECT_EQ(first_pixel(*no_blit)[0], 0);
  EXPECT_EQ(screen.held, 0);
}

TEST_F(WindowCaptureTest, NoPixelDataFailsAfterReleasingEverything) {
  // The first read fails and no screen copy replaces it.
  screen.fail.failing_read = 1;
  screen.fail.screen_dc = true;
  auto no_copy = capture();
  ASSERT_FALSE(no_copy.ok());
  EXPECT_EQ(no_copy.error(),
            (HelperError{ErrorCode::CaptureFailed, "GetDIBits failed to retrieve bitmap data"}));

  // The screen copy worked but reading it back failed: that read decides.
  screen.fail = {};
  screen.windows[kHandle].printed.clear();
  screen.fail.failing_read = 2;
  auto second = capture();
  ASSERT_FALSE(second.ok());
  EXPECT_EQ(second.error().message, "GetDIBits failed to retrieve bitmap data");
  EXPECT_EQ(screen.held, 0);
  EXPECT_THAT(std::vector<std::string>(screen.calls.end() - 4, screen.calls.end()),
              ElementsAre("SelectObject(previous)", "DeleteObject", "DeleteDC", "ReleaseDC"));
}

TEST_F(WindowCaptureTest, EachFailedSurfaceStepHasItsMessage) {
  const std::pair<bool FakeCaptureFailures::*, const char*> steps[] = {
      {&FakeCaptureFailures::window_dc, "GetDC failed"},
      {&FakeCaptureFailures::memory_dc, "CreateCompatibleDC failed"},
      {&FakeCaptureFailures::bitmap, "CreateCompatibleBitmap failed"},
  };
  for (const auto& [flag, message] : steps) {
    screen.fail = {};
    screen.fail.*flag = true;
    const std::string before = next_state_id("s");
    auto r = capture();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), (HelperError{ErrorCode::CaptureFailed, message}));
    EXPECT_EQ(screen.held, 0);
    // A failed capture draws no state identifier.
    const std::string after = next_state_id("s");
    EXPECT_EQ(std::stoull(after.substr(2)), std::stoull(before.substr(2)) + 1) << message;
  }
}

TEST_F(WindowCaptureTest, WindowTooLargeForMemoryFailsAsACapture) {
  const HelperError too_large{ErrorCode::CaptureFailed, "Not enough memory to capture the window"};
  // Wider than GDI's 32-bit sizes.
  screen.windows[kHandle].rect = {-2000000000, 0, 2000000000, 10};
  auto beyond_gdi = capture();
  ASSERT_FALSE(beyond_gdi.ok());
  EXPECT_EQ(beyond_gdi.error(), too_large);
  // Within GDI's sizes, but no buffer of that size can exist.
  screen.windows[kHandle].rect = {0, 0, 2000000000, 2000000000};
  auto beyond_memory = capture();
  ASSERT_FALSE(beyond_memory.ok());
  EXPECT_EQ(beyond_memory.error(), too_large);
  EXPECT_EQ(screen.held, 0);
}

TEST_F(WindowCaptureTest, BoundsFailureAndZeroSizedAndMinimizedWindows) {
  screen.windows[kHandle].rect_fails = true;
  auto no_rect = capture();
  ASSERT_FALSE(no_rect.ok());
  EXPECT_EQ(no_rect.error(), (HelperError{ErrorCode::CaptureFailed, "Failed to get window bounds"}));

  screen.windows[kHandle].rect_fails = false;
  screen.windows[kHandle].minimized = true;
  auto minimized = capture();
  ASSERT_TRUE(minimized.ok());
  EXPECT_THAT(minimized->warnings, ElementsAre("window_minimized"));
  EXPECT_EQ(minimized->width, 40u);

  screen.calls.clear();
  screen.windows[kHandle].rect = {-32000, -32000, -32000, -31990};
  auto empty = capture();
  ASSERT_TRUE(empty.ok());
  EXPECT_THAT(empty->warnings, ElementsAre("window_minimized", "zero_sized_window"));
  EXPECT_EQ(empty->width, 0u);
  EXPECT_EQ(empty->height, 0u);
  EXPECT_FALSE(empty->image_base64.has_value());
  EXPECT_EQ(empty->x, -32000);
  EXPECT_THAT(empty->state_id, ::testing::StartsWith("s-"));
  EXPECT_THAT(screen.calls, ElementsAre("GetWindowRect"));
}

TEST_F(WindowCaptureTest, MaxDimensionShrinksTheImageOnly) {
  FakeCaptureWindow wide;
  wide.rect = {0, 0, 1000, 500};
  wide.printed = FakeScreen::solid(1000, 500, 30, 60, 90);
  screen.windows[kHandle] = wide;
  auto scaled = capture(100);
  ASSERT_TRUE(scaled.ok());
  EXPECT_EQ(scaled->width, 100u);
  EXPECT_EQ(scaled->height, 50u);
  const auto png = testing_png::decode_base64(*scaled->image_base64);
  EXPECT_EQ(png.width, 100);
  EXPECT_EQ(png.height, 50);
  EXPECT_EQ(first_pixel(*scaled), (std::array<int, 4>{90, 60, 30, 255}));
  EXPECT_EQ(scaled->x, 0);

  for (std::optional<std::uint32_t> unscaled : {std::optional<std::uint32_t>(1000),
                                                std::optional<std::uint32_t>(0),
                                                std::optional<std::uint32_t>()}) {
    auto r = capture(unscaled);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->width, 1000u);
    EXPECT_EQ(r->height, 500u);
  }

  FakeCaptureWindow narrow;
  narrow.rect = {5, 5, 8, 1005};
  narrow.printed = FakeScreen::solid(3, 1000, 255, 255, 255);
  screen.windows[kHandle] = narrow;
  auto thin = capture(10);
  ASSERT_TRUE(thin.ok());
  EXPECT_EQ(thin->width, 1u);
  EXPECT_EQ(thin->height, 10u);
}

}  // namespace
}  // namespace winhelper
