#include <gtest/gtest.h>

#include <cmath>

#include "act/look_mapping.h"

namespace winhelper {
namespace {

Look sample_look() {
  Look look;
  look.frame_x = 100;
  look.frame_y = -50;
  look.frame_width = 800;
  look.frame_height = 600;
  look.image_width = 400;
  look.image_height = 300;
  look.has_image = true;
  return look;
}

TEST(LookMapping, ScalesFromImageToFrameAndClampsToTheEdges) {
  Look look = sample_look();
  EXPECT_EQ(resolve_look_point(look, 200, 150), (ScreenPosition{500.0, 250.0}));
  EXPECT_EQ(resolve_look_point(look, 0.25, 0.5), (ScreenPosition{100.5, -49.0}));
  EXPECT_EQ(resolve_look_point(look, 2 * 400, -5), (ScreenPosition{900.0, -50.0}));
  EXPECT_EQ(resolve_look_point(look, -1e300, 1e300), (ScreenPosition{100.0, 550.0}));
}

TEST(LookMapping, ImageSizesBelowOneCountAsOne) {
  Look look = sample_look();
  look.image_width = 0;
  look.image_height = 0.5;
  EXPECT_EQ(resolve_look_point(look, 0.5, 0.5), (ScreenPosition{500.0, 250.0}));
}

TEST(LookMapping, PathsKeepOnlyValidEntriesInOrder) {
  Look look = sample_look();
  Json path = Json::parse(R"([{"x":0,"y":0},{"x":1},"p",{"x":400,"y":300,"z":1},null])");
  EXPECT_EQ(resolve_look_path(look, path),
            (std::vector<ScreenPosition>{{100.0, -50.0}, {900.0, 550.0}}));
  EXPECT_TRUE(resolve_look_path(look, Json::parse(R"({"x":1,"y":1})")).empty());
}

TEST(LookPoint, ScalesAndClampsToTheFrame) {
  Look look;
  look.frame_x = 100;
  look.frame_y = 50;
  look.frame_width = 800;
  look.frame_height = 600;
  look.image_width = 400;
  look.image_height = 300;
  EXPECT_EQ(resolve_look_point(look, 200, 150), (ScreenPosition{500.0, 350.0}));
  EXPECT_EQ(resolve_look_point(look, 450, -3), (ScreenPosition{900.0, 50.0}));
  Look degenerate;
  degenerate.image_width = 0;
  degenerate.frame_width = 0;
  EXPECT_EQ(resolve_look_point(degenerate, 5, std::nan("")), (ScreenPosition{1.0, 0.0}));
}

}  // namespace
}  // namespace winhelper
