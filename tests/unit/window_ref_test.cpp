#include <gtest/gtest.h>

#include "windows/window_record.h"
#include "windows/window_ref.h"

namespace winhelper {
namespace {

TEST(WindowRef, AcceptsBlanksAndOnePlusSign) {
  EXPECT_EQ(parse_window_ref("@w12"), 12u);
  EXPECT_EQ(parse_window_ref("  @w12\t"), 12u);
  EXPECT_EQ(parse_window_ref("\u3000@w+12\u00a0"), 12u);
  EXPECT_EQ(parse_window_ref("@w18446744073709551615"), 18446744073709551615ull);
  EXPECT_EQ(parse_window_ref("@w007"), 7u);
}

TEST(WindowRef, RejectsEverythingElse) {
  for (const char* text : {"@W12", "@w", "@w+", "@w-1", "@w12x", "@w 12", "@w++1", "w12", "",
                           "@w18446744073709551616", "@w1.0"}) {
    EXPECT_EQ(parse_window_ref(text), std::nullopt) << text;
  }
}

TEST(RootKey, IsTheWindowHandle) {
  WindowRecord record;
  record.window_id = 4242;
  record.title = "x";
  EXPECT_EQ(root_key(record), "window:4242");
  record.window_id = -3;
  EXPECT_EQ(root_key(record), "window:-3");
}

}  // namespace
}  // namespace winhelper
