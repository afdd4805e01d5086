#include <gtest/gtest.h>

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

TEST(RootKey, UsesTheHandleWhenItIsAnIntegerElseTheMetaForm) {
  EXPECT_EQ(root_key(Json{{"windowId", 4242}, {"title", "x"}}), "window:4242");
  EXPECT_EQ(root_key(Json{{"windowId", -3}}), "window:-3");
  EXPECT_EQ(root_key(Json{{"windowId", "12"}, {"kind", "dialog"}, {"title", "T"},
                          {"rootRef", "@w2"}}),
            "meta:dialog:T:@w2");
  EXPECT_EQ(root_key(Json{{"windowId", 18446744073709551615ull}}), "meta:window::");
  EXPECT_EQ(root_key(Json{{"windowId", 1.5}, {"kind", 3}}), "meta:window::");
}

}  // namespace
}  // namespace winhelper
