#include <gtest/gtest.h>

#include "fakes/service_harness.h"
#include "input/input_event.h"

namespace winhelper {
namespace {

using fakes::ServiceHarness;

// The result's text, or the error.
std::string outcome(const Json& response) {
  std::string error = fakes::error_of(response);
  return error == "ok" ? response["result"].dump() : error;
}

constexpr char kNotFound[] =
    "target_not_found: Target browser window was not found; refusing to type into the currently "
    "focused window";

class BrowserLocation : public ::testing::Test {
 protected:
  BrowserLocation() {
    editor = h.windows.add({.title = "Notes", .pid = 10});
    edge = h.windows.add({.title = "New tab", .pid = 20});
    h.windows.set_process_path(10, "C:\\Tools\\notes.exe");
    h.windows.set_process_path(20, "C:\\Edge\\msedge.exe");
    h.windows.set_foreground_window(editor);
  }

  static std::vector<InputEvent> keystrokes(const std::string& typed) {
    std::vector<InputEvent> events = {InputEvent::key_down(kVkControl), InputEvent::key_down(0x4C),
                                      InputEvent::key_up(0x4C), InputEvent::key_up(kVkControl)};
    for (char c : typed) {
      events.push_back(InputEvent::unicode_down(static_cast<char16_t>(c)));
      events.push_back(InputEvent::unicode_up(static_cast<char16_t>(c)));
    }
    events.push_back(InputEvent::key_down(0x0D));
    events.push_back(InputEvent::key_up(0x0D));
    return events;
  }

  ServiceHarness h;
  WindowHandle editor = 0;
  WindowHandle edge = 0;
};

TEST_F(BrowserLocation, TypesIntoTheFirstWindowWhoseAppNameMatches) {
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "EDGE"}, {"url", "a.io/x"}})),
            R"({"opened":true})");
  EXPECT_EQ(h.windows.foreground(), edge);
  EXPECT_EQ(h.input_sink.events(), keystrokes("a.io/x"));
  // Ctrl down, L down and up, Ctrl up, the text, Enter: five calls.
  EXPECT_EQ(h.input_sink.calls().size(), 5u);
}

TEST_F(BrowserLocation, WithoutAppNameTheTopmostWindowIsTaken) {
  h.windows.raise(edge);
  h.windows.set_foreground_window(edge);
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"url", "q"}})), R"({"opened":true})");
  EXPECT_EQ(h.windows.foreground_requests(), 0);
  EXPECT_EQ(h.input_sink.events(), keystrokes("q"));
}

TEST_F(BrowserLocation, WindowSearchComesBeforeTheUrlCheckAndNothingIsTyped) {
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "firefox"}})), kNotFound);
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "edge"}, {"url", 5}})),
            "invalid_request: openBrowserLocation requires url");
  h.windows.refuse_foreground(true);
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "edge"}, {"url", "x"}})),
            "target_not_found: Windows refused to foreground the target; physical input was not "
            "sent");
  EXPECT_EQ(h.windows.foreground_requests(), 5);
  EXPECT_TRUE(h.input_sink.calls().empty());
}

TEST_F(BrowserLocation, RejectedInputEndsTheSequence) {
  h.input_sink.fail_call(4);  // the typed text
  std::string answer = outcome(ask(h, "openBrowserLocation", {{"appName", "edge"}, {"url", "ab"}}));
  EXPECT_EQ(answer, "capture_failed: Input failed: SendInput inserted 0/4 events");
  EXPECT_EQ(h.input_sink.calls().size(), 4u);  // no Enter after the failure
  // The input lock was released: the next command gets through.
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "edge"}, {"url", "c"}})),
            R"({"opened":true})");
}

TEST_F(BrowserLocation, ControlIsReleasedWhenTheChordFails) {
  h.input_sink.fail_call(2);  // L down and up
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "edge"}, {"url", "ab"}})),
            "capture_failed: Input failed: SendInput inserted 0/2 events");
  EXPECT_EQ(h.input_sink.events().back(), InputEvent::key_up(kVkControl));
}

TEST_F(BrowserLocation, ListsWindowsLikeAnUnfilteredListing) {
  ASSERT_EQ(outcome(ask(h, "listWindows", Json::object())).substr(0, 1), "{");
  h.windows.remove(editor);
  EXPECT_EQ(outcome(ask(h, "openBrowserLocation", {{"appName", "notes"}, {"url", "x"}})), kNotFound);
  EXPECT_EQ(outcome(ask(h, "focusWindow", {{"rootRef", "@w1"}})),
            "target_not_found: Window ref '@w1' not found");
  auto state = h.shared.state.lock();
  ASSERT_TRUE(state);
  EXPECT_EQ((*state)->observed_roots.size(), 1u);
}

}  // namespace
}  // namespace winhelper
