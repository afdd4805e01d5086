#include <gtest/gtest.h>

#include "observe/look_arguments.h"
#include "observe/look_root.h"

namespace winhelper {
namespace {

// Records from anywhere but our own listing may lack members or carry other
// types; every member falls back on its own.
TEST(LookRoot, SparseRecordFallsBackMemberByMember) {
  LookRoot root = read_look_root(Json::parse(
      R"({"rootRef":"@w4","framePoints":{"x":-8,"y":"top","w":0,"width":900,"height":300.5},
          "windowId":-5,"pid":-1,"kind":7,"scaleFactor":"big","isModal":"yes"})"));
  EXPECT_EQ(root.root_ref, "@w4");
  EXPECT_EQ(root.kind, "window");
  EXPECT_EQ(root.frame_x, -8);
  EXPECT_EQ(root.frame_y, 0);
  // `w` wins over `width` when it is a number, and is raised to 1.
  EXPECT_EQ(root.frame_width, 1);
  EXPECT_EQ(root.frame_height, 300.5);
  EXPECT_EQ(root.window_id, -5);
  EXPECT_EQ(root.pid, 0u);

  Json window = describe_look_window(root);
  EXPECT_EQ(window, Json::parse(R"({"framePoints":{"h":300.5,"w":1,"x":-8,"y":0},
      "isModal":false,"kind":"window","role":"Window","rootRef":"@w4","scaleFactor":1,
      "subrole":"","windowId":0})"));

  LookRoot empty = read_look_root(Json::parse(R"({"framePoints":null,"metadata":{"a":1}})"));
  EXPECT_EQ(empty.frame_width, 1);
  EXPECT_EQ(empty.frame_height, 1);
  EXPECT_EQ(describe_look_window(empty)["metadata"], Json::parse(R"({"a":1})"));
  EXPECT_EQ(describe_look_window(empty)["rootRef"], "");
}

TEST(LookRoot, OnlyMenusRefuseAnImage) {
  EXPECT_FALSE(look_takes_image(read_look_root(Json::parse(R"({"kind":"menu"})")), true));
  EXPECT_TRUE(look_takes_image(read_look_root(Json::parse(R"({"kind":"dialog"})")), true));
  EXPECT_FALSE(look_takes_image(read_look_root(Json::parse(R"({"kind":"dialog"})")), false));
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
