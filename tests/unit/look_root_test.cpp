#include <gtest/gtest.h>

#include "observe/look_arguments.h"
#include "observe/look_root.h"

namespace winhelper {
namespace {

WindowRecord of_kind(const char* kind) {
  WindowRecord record;
  record.kind = kind;
  return record;
}

// The frame is the listed bounds with each size raised to 1; a window id that
// is not positive is described as 0.
TEST(LookRoot, FrameAndDescriptionFollowTheRecord) {
  WindowRecord record;
  record.ref = "@w4";
  record.bounds = WindowBounds{-8, 0, 0, 300};
  record.window_id = -5;
  record.pid = 12;
  LookRoot root = read_look_root(record);
  EXPECT_EQ(root.root_ref, "@w4");
  EXPECT_EQ(root.kind, "window");
  EXPECT_EQ(root.frame_x, -8);
  EXPECT_EQ(root.frame_y, 0);
  EXPECT_EQ(root.frame_width, 1);
  EXPECT_EQ(root.frame_height, 300);
  EXPECT_EQ(root.window_id, -5);
  EXPECT_EQ(root.pid, 12u);

  EXPECT_EQ(describe_look_window(root).dump(),
            R"({"framePoints":{"h":300,"w":1,"x":-8,"y":0},"isModal":false,"kind":"window",)"
            R"("metadata":{"browserFamily":null,"className":"","exStyle":0,"isBrowser":false},)"
            R"("role":"Window","rootRef":"@w4","scaleFactor":1.0,"subrole":"","windowId":0})");
}

TEST(LookRoot, OnlyMenusRefuseAnImage) {
  EXPECT_FALSE(look_takes_image(read_look_root(of_kind("menu")), true));
  EXPECT_TRUE(look_takes_image(read_look_root(of_kind("dialog")), true));
  EXPECT_FALSE(look_takes_image(read_look_root(of_kind("dialog")), false));
}

TEST(LookArguments, WindowIdMustFitSignedSixtyFourBits) {
  auto parsed = parse_look_arguments(Json::parse(R"({"windowId":9223372036854775807})"));
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->window_id, 9223372036854775807LL);
  EXPECT_EQ(parse_look_arguments(Json::parse(R"({"windowId":9223372036854775808})")).error().message,
            "look requires rootRef or windowId");
  auto negative = parse_look_arguments(Json::parse(R"({"windowId":-3,"includeImage":"no"})"));
  ASSERT_TRUE(negative.ok());
  EXPECT_EQ(negative->window_id, -3);
  EXPECT_TRUE(negative->include_image);
}

}  // namespace
}  // namespace winhelper
