#include <gtest/gtest.h>

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

}  // namespace
}  // namespace winhelper
