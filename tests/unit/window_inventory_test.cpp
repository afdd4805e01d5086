#include <gtest/gtest.h>

#include "fakes/fake_windows.h"
#include "windows/inventory.h"
#include "windows/window_classes.h"
#include "windows/window_json.h"

namespace winhelper {
namespace {

using fakes::FakeWindow;
using fakes::FakeWindows;

TEST(WindowClasses, BrowserFamilyLowerCasesThenDropsOneExe) {
  EXPECT_EQ(browser_family_of("MSEDGE.EXE"), "edge");
  EXPECT_EQ(browser_family_of("chrome.exe"), "chrome");
  EXPECT_EQ(browser_family_of("Chromium"), "chrome");
  EXPECT_EQ(browser_family_of("brave-browser.exe"), "brave");
  EXPECT_EQ(browser_family_of("opera_gx.exe"), "opera");
  EXPECT_EQ(browser_family_of("firefox.exe"), "firefox");
  EXPECT_EQ(browser_family_of("vivaldi"), "vivaldi");
  EXPECT_EQ(browser_family_of("chrome.exe.exe"), std::nullopt);
  EXPECT_EQ(browser_family_of("chromex.exe"), std::nullopt);
  EXPECT_EQ(browser_family_of(".exe"), std::nullopt);
  EXPECT_EQ(browser_family_of(""), std::nullopt);
}

TEST(WindowClasses, AppNameDropsEveryTrailingExeCaseSensitively) {
  EXPECT_EQ(app_name_of("chrome.exe.exe"), "chrome");
  EXPECT_EQ(app_name_of("Notepad.EXE"), "Notepad.EXE");
  EXPECT_EQ(app_name_of(".exe"), "");
  EXPECT_EQ(app_name_of("tool.exe.bak"), "tool.exe.bak");
}

TEST(WindowClasses, ProcessNameIsTheLastPathComponent) {
  EXPECT_EQ(process_name_from_path("C:\\Program Files\\Edge\\msedge.exe"), "msedge.exe");
  EXPECT_EQ(process_name_from_path("C:/tools/app.exe"), "app.exe");
  EXPECT_EQ(process_name_from_path("plain.exe"), "plain.exe");
  EXPECT_EQ(process_name_from_path("C:\\"), "C:\\");
}

TEST(WindowClasses, KindRoleAndModality) {
  EXPECT_EQ(window_kind("#32768", true), "menu");
  EXPECT_EQ(window_role("menu"), "Menu");
  EXPECT_EQ(window_kind("#32770", true), "dialog");
  EXPECT_EQ(window_kind("#32770", false), "dialog");
  EXPECT_EQ(window_role("dialog"), "Window");
  EXPECT_EQ(window_kind("Notepad", true), "popover");
  EXPECT_EQ(window_kind("Notepad", false), "window");
  EXPECT_EQ(window_kind("#32770 ", false), "window");
  EXPECT_TRUE(window_is_modal("#32770", 0));
  EXPECT_TRUE(window_is_modal("Other", 0x1));
  EXPECT_FALSE(window_is_modal("Other", 0x100));
}

TEST(WindowInventory, RecordHoldsEveryKeyInByteOrder) {
  FakeWindows desk;
  WindowHandle h = desk.add({.title = "Editor", .class_name = "EditorMain", .pid = 77,
                             .rect = ScreenRect{-5, 10, 795, 610}, .dpi = 144,
                             .ex_style = 0x100});
  desk.set_process_path(77, "C:\\apps\\editor.exe");
  desk.set_foreground_window(h);
  WindowRegistry registry;
  auto listed = list_windows(desk, registry, std::nullopt);
  ASSERT_TRUE(listed.ok());
  const Json listing = window_listing_json(*listed);
  const Json& record = listing.at("windows").at(0);
  std::string expected =
      R"({"appName":"editor","bounds":{"height":600,"width":800,"x":-5,"y":10},)"
      R"("browserFamily":null,"framePoints":{"height":600,"width":800,"x":-5,"y":10},)"
      R"("isBrowser":false,"isFocused":true,"isMain":true,"isMinimized":false,"isModal":false,)"
      R"("isOnscreen":true,"kind":"window","metadata":{"browserFamily":null,)"
      R"("className":"EditorMain","exStyle":256,"isBrowser":false},"pid":77,)"
      R"("processName":"editor.exe","ref":"@w1","role":"Window","rootRef":"@w1",)"
      R"("scaleFactor":1.5,"subrole":"EditorMain","title":"Editor","windowId":)" +
      std::to_string(h) + R"(,"windowRef":"@w1","zOrder":0})";
  EXPECT_EQ(record.dump(), expected);
  EXPECT_EQ(listing.at("roots"), listing.at("windows"));
  EXPECT_EQ(listing.at("stateId").get<std::string>().rfind("w-", 0), 0u);
}

TEST(WindowInventory, DegradedReadsStillListTheWindow) {
  FakeWindows desk;
  desk.add({.title = "", .class_name = "", .pid = 5, .iconic = true, .rect = std::nullopt,
            .dpi = 0});
  WindowRegistry registry;
  auto listed = list_windows(desk, registry, std::nullopt);
  ASSERT_TRUE(listed.ok());
  const Json listing = window_listing_json(*listed);
  const Json& r = listing.at("windows").at(0);
  EXPECT_EQ(r["bounds"].dump(), R"({"height":0,"width":0,"x":0,"y":0})");
  EXPECT_EQ(r["processName"], "");
  EXPECT_EQ(r["appName"], "");
  EXPECT_EQ(r["browserFamily"], nullptr);
  EXPECT_EQ(r["scaleFactor"].dump(), "1.0");
  EXPECT_EQ(r["isMinimized"], true);
  EXPECT_EQ(r["isOnscreen"], false);
  EXPECT_EQ(r["isFocused"], false);
}

TEST(WindowInventory, ClassifiesOwnedDialogsMenusAndBrowsers) {
  FakeWindows desk;
  WindowHandle main = desk.add({.title = "Main", .pid = 1});
  desk.add({.title = "Save", .class_name = "#32770", .pid = 1, .owner = main});
  desk.add({.title = "Tip", .pid = 1, .owner = main});
  desk.add({.title = "", .class_name = "#32768", .pid = 1});
  desk.add({.title = "Page", .pid = 2});
  desk.set_process_path(2, "C:\\b\\chrome.exe");
  WindowRegistry registry;
  auto listed = list_windows(desk, registry, std::nullopt);
  ASSERT_TRUE(listed.ok());
  const Json listing = window_listing_json(*listed);
  const Json& w = listing.at("windows");
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w[1]["kind"], "dialog");
  EXPECT_EQ(w[1]["isModal"], true);
  EXPECT_EQ(w[2]["kind"], "popover");
  EXPECT_EQ(w[3]["kind"], "menu");
  EXPECT_EQ(w[3]["role"], "Menu");
  EXPECT_EQ(w[4]["browserFamily"], "chrome");
  EXPECT_EQ(w[4]["isBrowser"], true);
  EXPECT_EQ(w[4]["metadata"]["browserFamily"], "chrome");
  EXPECT_EQ(w[4]["metadata"]["isBrowser"], true);
}

TEST(WindowInventory, HiddenAndFilteredWindowsTakeNoPositionOrNumber) {
  FakeWindows desk;
  WindowHandle hidden = desk.add({.title = "hidden", .pid = 1, .visible = false});
  WindowHandle other = desk.add({.title = "other", .pid = 2});
  desk.add({.title = "a", .pid = 1});
  desk.add({.title = "b", .pid = 1, .rect = ScreenRect{0, 0, 0, 0}});
  desk.set_foreground_window(other);
  WindowRegistry registry;
  auto listed = list_windows(desk, registry, std::uint64_t{1});
  ASSERT_TRUE(listed.ok());
  const Json listing = window_listing_json(*listed);
  const Json& w = listing.at("windows");
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0]["title"], "a");
  EXPECT_EQ(w[0]["zOrder"], 0);
  EXPECT_EQ(w[0]["ref"], "@w1");
  EXPECT_EQ(w[1]["zOrder"], 1);
  EXPECT_EQ(w[1]["ref"], "@w2");
  for (const Json& r : w) EXPECT_EQ(r["isFocused"], false);
  EXPECT_EQ(registry.size(), 2u);
  (void)hidden;

  auto listed_none = list_windows(desk, registry, std::uint64_t{1} << 32 | 1);
  ASSERT_TRUE(listed_none.ok());
  const Json none = window_listing_json(*listed_none);
  EXPECT_TRUE(none.at("windows").empty());
  EXPECT_NE(none.at("stateId"), listing.at("stateId"));
}

TEST(WindowInventory, RefsAreStableAcrossListingsAndNeverReused) {
  FakeWindows desk;
  WindowHandle a = desk.add({.title = "a"});
  WindowHandle b = desk.add({.title = "b"});
  WindowRegistry registry;
  ASSERT_TRUE(list_windows(desk, registry, std::nullopt).ok());
  desk.raise(b);
  auto listed_again = list_windows(desk, registry, std::nullopt);
  ASSERT_TRUE(listed_again.ok());
  const Json again = window_listing_json(*listed_again);
  EXPECT_EQ(again.at("windows")[0]["ref"], "@w2");
  EXPECT_EQ(again.at("windows")[1]["ref"], "@w1");

  registry.retain_only({2});
  EXPECT_EQ(registry.handle_for(1), std::nullopt);
  EXPECT_EQ(registry.handle_for(2), b);
  EXPECT_EQ(registry.number_for(a), 3u);
}

TEST(WindowInventory, EnumerationFailureIsAnInternalError) {
  FakeWindows desk;
  desk.add({.title = "a"});
  desk.fail_enumeration("0x00000000");
  WindowRegistry registry;
  auto listing = list_windows(desk, registry, std::nullopt);
  ASSERT_FALSE(listing.ok());
  EXPECT_EQ(listing.error(), internal_error("EnumWindows failed: 0x00000000"));
  EXPECT_EQ(registry.size(), 0u);
}

TEST(WindowInventory, ForegroundProcessNeedsAWindowWithAPid) {
  FakeWindows desk;
  EXPECT_EQ(foreground_process_id(desk), std::nullopt);
  WindowHandle h = desk.add({.pid = 0});
  desk.set_foreground_window(h);
  EXPECT_EQ(foreground_process_id(desk), std::nullopt);
  desk.edit(h, [](FakeWindow& w) { w.pid = 9; });
  EXPECT_EQ(foreground_process_id(desk), 9u);
}

}  // namespace
}  // namespace winhelper
