#include <gtest/gtest.h>

#include <limits>

#include "input/screen_coordinates.h"

namespace winhelper {
namespace {

constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
constexpr auto kMax = std::numeric_limits<std::int32_t>::max();

TEST(ScreenCoordinates, RoundHalvesAwayFromZeroAndSaturate) {
  EXPECT_EQ(json_to_coordinate(Json(100.5)), 101);
  EXPECT_EQ(json_to_coordinate(Json(-100.5)), -101);
  EXPECT_EQ(json_to_coordinate(Json(100.49)), 100);
  EXPECT_EQ(json_to_coordinate(Json(1e12)), kMax);
  EXPECT_EQ(json_to_coordinate(Json(-1e12)), kMin);
  EXPECT_EQ(json_to_coordinate(Json(2147483646.6)), kMax);
  EXPECT_EQ(json_to_coordinate(Json(-2147483648.4)), kMin);
  EXPECT_EQ(json_to_coordinate(Json(std::uint64_t{18446744073709551615u})), kMax);
  EXPECT_EQ(json_to_coordinate(Json(std::int64_t{-5000000000})), kMin);
  EXPECT_EQ(json_to_coordinate(Json(std::int64_t{-7})), -7);
  EXPECT_EQ(json_to_coordinate(Json("3")), std::nullopt);
  EXPECT_EQ(saturate_to_i32(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ScreenCoordinates, PointsNeedNumericXAndY) {
  EXPECT_EQ(json_to_screen_point(Json::parse(R"({"x":1.5,"y":-2})")), (ScreenPoint{2, -2}));
  EXPECT_EQ(json_to_screen_point(Json::parse(R"({"x":1})")), std::nullopt);
  EXPECT_EQ(json_to_screen_point(Json::parse(R"({"x":1,"y":null})")), std::nullopt);
  EXPECT_EQ(json_to_screen_point(Json::parse(R"([1,2])")), std::nullopt);
}

}  // namespace
}  // namespace winhelper
