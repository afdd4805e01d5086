#include <gtest/gtest.h>

#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::ServiceHarness;

// A harness with one listed window, "@w1", of process 10.
struct Desk : ServiceHarness {
  Desk() {
    window = windows.add({.title = "Editor", .pid = 10, .rect = ScreenRect{100, 50, 500, 350}});
    ask(*this, "listWindows");
  }
  WindowHandle window = 0;
};

TEST(SetWindowState, RefusalsNameTheirReason) {
  const std::pair<const char*, std::string> cases[] = {
      {R"({"state":"minimize"})", "invalid_request: setWindowState requires rootRef"},
      {R"({"rootRef":"w1","state":"minimize"})", "invalid_request: Invalid root ref 'w1'"},
      {R"({"rootRef":"@w1"})",
       "invalid_request: setWindowState requires state minimize, maximize, restore or close"},
      {R"({"rootRef":"@w1","state":"huge","bounds":{"x":0,"y":0,"width":5,"height":5}})",
       "invalid_request: setWindowState requires state minimize, maximize, restore or close"},
      {R"({"rootRef":"@w1","bounds":{"x":0,"y":0,"width":0,"height":5}})",
       "invalid_request: setWindowState bounds need integers x and y and positive integers width "
       "and height"},
      {R"({"rootRef":"@w1","bounds":{"x":0.5,"y":0,"width":9,"height":5}})",
       "invalid_request: setWindowState bounds need integers x and y and positive integers width "
       "and height"},
      {R"({"rootRef":"@w1","state":"maximize","bounds":{"x":0,"y":0,"width":9,"height":5}})",
       "invalid_request: setWindowState applies bounds only with state restore"},
      {R"({"rootRef":"@w9","state":"close"})", "target_not_found: Window ref '@w9' not found"},
  };
  for (const auto& [args, message] : cases) {
    Desk h;
    EXPECT_EQ(error_of(ask(h, "setWindowState", args)), message) << args;
    EXPECT_TRUE(h.windows.arrange_calls().empty()) << args;
  }
}

TEST(SetWindowState, ElevatedAndHungWindowsAreLeftAlone) {
  Desk elevated;
  elevated.windows.set_own_privilege({0x2000, false});
  elevated.windows.set_integrity(10, 0x3000);
  EXPECT_EQ(error_of(ask(elevated, "setWindowState", R"({"rootRef":"@w1","state":"close"})")),
            "capture_failed: The window belongs to a process running with higher privileges than "
            "the helper, and Windows keeps the helper from changing it; its state was not changed");
  EXPECT_TRUE(elevated.windows.arrange_calls().empty());

  Desk hung;
  hung.windows.edit(hung.window, [](fakes::FakeWindow& w) { w.hung = true; });
  EXPECT_EQ(error_of(ask(hung, "setWindowState", R"({"rootRef":"@w1","state":"maximize"})")),
            "target_not_found: The window is not responding, so it would not handle the change; "
            "its state was not changed");
  EXPECT_TRUE(hung.windows.arrange_calls().empty());
}

TEST(SetWindowState, MaximiseFillsTheWorkAreaAndRestoreComesBack) {
  Desk h;
  Json maximized = ask(h, "setWindowState", R"({"rootRef":"@w1","state":"maximize"})");
  ASSERT_EQ(error_of(maximized), "ok");
  EXPECT_EQ(maximized["result"]["window"]["bounds"],
            Json::parse(R"({"x":0,"y":0,"width":1920,"height":1040})"));
  EXPECT_EQ(maximized["result"]["window"]["rootRef"], "@w1");

  Json minimized = ask(h, "setWindowState", R"({"rootRef":"@w1","state":"minimize"})");
  EXPECT_EQ(minimized["result"]["window"]["isMinimized"], true);

  Json restored = ask(h, "setWindowState", R"({"rootRef":"@w1","state":"restore"})");
  EXPECT_EQ(restored["result"]["window"]["isMinimized"], false);
  EXPECT_EQ(restored["result"]["window"]["bounds"],
            Json::parse(R"({"x":100,"y":50,"width":400,"height":300})"));
}

TEST(SetWindowState, AMinimisedWindowIsRestoredBeforeItsBoundsApply) {
  Desk h;
  h.windows.edit(h.window, [](fakes::FakeWindow& w) { w.iconic = true; });
  Json moved =
      ask(h, "setWindowState", R"({"rootRef":"@w1","bounds":{"x":-5,"y":6,"width":300,"height":200}})");
  ASSERT_EQ(error_of(moved), "ok");
  const std::string w = std::to_string(h.window);
  EXPECT_EQ(h.windows.arrange_calls(),
            (std::vector<std::string>{"restore " + w, "move " + w + " -5,6,295,206"}));
  EXPECT_EQ(moved["result"]["window"]["bounds"],
            Json::parse(R"({"x":-5,"y":6,"width":300,"height":200})"));
  EXPECT_EQ(moved["result"]["window"]["isMinimized"], false);
}

TEST(SetWindowState, CloseAsksAndReportsTheSavePromptAsAppeared) {
  Desk h;
  h.windows.on_close([&](WindowHandle) {
    h.windows.add({.title = "Save changes?", .class_name = "#32770", .pid = 10, .owner = h.window});
  });
  Json closed = ask(h, "setWindowState", R"({"rootRef":"@w1","state":"close"})");
  ASSERT_EQ(error_of(closed), "ok");
  EXPECT_EQ(h.windows.arrange_calls(), (std::vector<std::string>{"close " + std::to_string(h.window)}));
  const Json& delta = closed["result"]["rootDelta"];
  ASSERT_EQ(delta.size(), 1u);
  EXPECT_EQ(delta[0]["change"], "appeared");
  EXPECT_EQ(delta[0]["kind"], "dialog");
  EXPECT_EQ(delta[0]["title"], "Save changes?");
  // The window waits on its prompt, so it is still there.
  EXPECT_EQ(closed["result"]["window"]["title"], "Editor");
}

}  // namespace
}  // namespace winhelper
