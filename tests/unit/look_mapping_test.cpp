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
  EXPECT_EQ(resolve_look_point(look, 200, 150), Json::parse(R"({"x":500.0,"y":250.0})"));
  EXPECT_EQ(resolve_look_point(look, 0.25, 0.5), Json::parse(R"({"x":100.5,"y":-49.0})"));
  EXPECT_EQ(resolve_look_point(look, 2 * 400, -5), Json::parse(R"({"x":900.0,"y":-50.0})"));
  EXPECT_EQ(resolve_look_point(look, -1e300, 1e300), Json::parse(R"({"x":100.0,"y":550.0})"));
}

TEST(LookMapping, ImageSizesBelowOneCountAsOne) {
  Look look = sample_look();
  look.image_width = 0;
  look.image_height = 0.5;
  EXPECT_EQ(resolve_look_point(look, 0.5, 0.5), Json::parse(R"({"x":500.0,"y":250.0})"));
}

TEST(LookMapping, PathsKeepOnlyValidEntriesInOrder) {
  Look look = sample_look();
  Json path = Json::parse(R"([{"x":0,"y":0},{"x":1},"p",{"x":400,"y":300,"z":1},null])");
  EXPECT_EQ(resolve_look_path(look, path),
            Json::parse(R"([{"x":100.0,"y":-50.0},{"x":900.0,"y":550.0}])"));
  EXPECT_EQ(resolve_look_path(look, Json::parse(R"({"x":1,"y":1})")), Json::array());
}

TEST(LookPoint, ScalesAndClampsToTheFrame) {
  Look look;
  look.frame_x = 100;
  look.frame_y = 50;
  look.frame_width = 800;
  look.frame_height = 600;
  look.image_width = 400;
  look.image_height = 300;
  EXPECT_EQ(resolve_look_point(look, 200, 150).dump(), R"({"x":500.0,"y":350.0})");
  EXPECT_EQ(resolve_look_point(look, 450, -3).dump(), R"({"x":900.0,"y":50.0})");
  Look degenerate;
  degenerate.image_width = 0;
  degenerate.frame_width = 0;
  Json p = resolve_look_point(degenerate, 5, std::nan(""));
  EXPECT_EQ(p.dump(), R"({"x":1.0,"y":0.0})");
}

}  // namespace
}  // namespace winhelper
