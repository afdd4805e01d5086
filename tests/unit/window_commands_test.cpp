#include <gtest/gtest.h>

#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::FakeWindow;
using fakes::ServiceHarness;

using fakes::error_of;

std::vector<std::string> titles(const Json& response) {
  std::vector<std::string> out;
  for (const Json& r : response["result"]["windows"]) out.push_back(r["title"]);
  return out;
}

TEST(WindowCommands, ListRootsAndListWindowsAnswerAlikeAndDrawNewStateIds) {
  ServiceHarness h;
  h.windows.add({.title = "Editor", .pid = 10});
  h.windows.add({.title = "Hidden", .pid = 10, .visible = false});
  h.windows.add({.title = "Browser", .pid = 20});
  h.windows.set_process_path(20, "C:\\Chrome\\chrome.exe");

  Json a = ask(h, "listWindows");
  Json b = ask(h, "listRoots", "null");
  ASSERT_TRUE(a["ok"].get<bool>());
  ASSERT_TRUE(b["ok"].get<bool>());
  EXPECT_EQ(titles(a), (std::vector<std::string>{"Editor", "Browser"}));
  EXPECT_EQ(a["result"]["windows"], b["result"]["windows"]);
  EXPECT_EQ(a["result"]["roots"], a["result"]["windows"]);
  EXPECT_NE(a["result"]["stateId"], b["result"]["stateId"]);
  EXPECT_EQ(a["result"]["windows"][1]["browserFamily"], "chrome");
  // The result object is written with its keys in byte order.
  std::string line = h.output.lines()[0];
  EXPECT_LT(line.find("\"roots\""), line.find("\"stateId\""));
  EXPECT_LT(line.find("\"stateId\""), line.find("\"windows\""));
}

TEST(WindowCommands, UnfilteredListingPrunesRefsAndObservedRoots) {
  ServiceHarness h;
  WindowHandle a = h.windows.add({.title = "A", .pid = 10});
  WindowHandle b = h.windows.add({.title = "B", .pid = 20});
  ask(h, "listWindows");
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w2"})")), "ok");

  h.windows.remove(b);
  ask(h, "listWindows", R"({"pid":10})");
  // A filtered listing keeps the numbers of windows it did not see.
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w2"})")), "ok");
  ask(h, "listWindows");
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w2"})")),
            "target_not_found: Window ref '@w2' not found");

  h.windows.add({.handle = b, .title = "B again", .pid = 20});
  Json again = ask(h, "listWindows");
  EXPECT_EQ(again["result"]["windows"][1]["ref"], "@w3");
  EXPECT_EQ(again["result"]["windows"][0]["ref"], "@w1");

  auto state = h.shared.state.lock();
  ASSERT_TRUE(state.ok());
  EXPECT_EQ((*state)->observed_roots.size(), 2u);
  EXPECT_EQ((*state)->observed_roots.count("window:" + std::to_string(a)), 1u);
}

TEST(WindowCommands, PidFilterReplacesOnlyThatProcessesObservedRoots) {
  ServiceHarness h;
  h.windows.add({.title = "A", .pid = 10});
  WindowHandle b = h.windows.add({.title = "B", .pid = 20});
  ask(h, "listWindows");
  h.windows.remove(b);
  Json filtered = ask(h, "listWindows", R"({"pid":20})");
  EXPECT_TRUE(filtered["result"]["windows"].empty());
  // The process's window it no longer shows loses its number, as in an unfiltered listing.
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w2"})")),
            "target_not_found: Window ref '@w2' not found");
  EXPECT_TRUE(filtered["result"]["roots"].empty());
  Json ignored = ask(h, "listWindows", R"({"pid":-20})");
  EXPECT_EQ(ignored["result"]["windows"].size(), 1u);

  auto state = h.shared.state.lock();
  ASSERT_TRUE(state.ok());
  ASSERT_EQ((*state)->observed_roots.size(), 1u);
  EXPECT_EQ((*state)->observed_roots.begin()->second.title, "A");
}

TEST(WindowCommands, FocusWindowReportsGrantedRefusedAndAlreadyFocused) {
  ServiceHarness h;
  WindowHandle a = h.windows.add({.title = "A"});
  h.windows.add({.title = "B"});
  h.windows.set_foreground_window(a);
  ask(h, "listWindows");

  Json already = ask(h, "focusWindow", R"({"rootRef":" @w+1 "})");
  EXPECT_EQ(already["result"].dump(), R"({"alreadyFocused":true,"focused":true})");
  EXPECT_EQ(h.windows.foreground_requests(), 0);

  Json moved = ask(h, "focusWindow", R"({"rootRef":5,"windowRef":"@w2"})");
  EXPECT_EQ(moved["result"].dump(), R"({"alreadyFocused":false,"focused":true})");
  EXPECT_NE(h.windows.foreground(), a);

  h.windows.refuse_foreground(true);
  Json refused = ask(h, "focusWindow", R"({"windowRef":"@w1"})");
  EXPECT_EQ(refused["result"].dump(), R"({"alreadyFocused":false,"focused":false})");
  EXPECT_EQ(h.windows.foreground_requests(), 2);
}

TEST(WindowCommands, FocusWindowRejectsBadRefs) {
  ServiceHarness h;
  EXPECT_EQ(error_of(ask(h, "focusWindow", "{}")),
            "invalid_request: focusWindow requires rootRef");
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":null,"windowRef":7})")),
            "invalid_request: focusWindow requires rootRef");
  for (const char* ref : {"@w", "@w-1", "#w1", "@W1", " @w1x"}) {
    EXPECT_EQ(error_of(ask(h, "focusWindow", Json{{"rootRef", ref}}.dump())),
              std::string("invalid_request: Invalid root ref '") + ref + "'");
  }
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w99"})")),
            "target_not_found: Window ref '@w99' not found");
}

TEST(WindowCommands, EnumerationFailureLeavesTheTablesAlone) {
  ServiceHarness h;
  h.windows.add({.title = "A"});
  ask(h, "listWindows");
  h.windows.fail_enumeration("Access is denied. (0x80070005)");
  EXPECT_EQ(error_of(ask(h, "listRoots")),
            "internal_error: EnumWindows failed: Access is denied. (0x80070005)");
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w1"})")), "ok");
}

}  // namespace
}  // namespace winhelper
