#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_clock.h"
#include "fakes/fake_uia.h"
#include "fakes/fake_windows.h"
#include "fakes/service_harness.h"
#include "observe/wait_command.h"
#include "observe/window_commands.h"

namespace winhelper {
namespace {

using fakes::FakeElement;

// Runs a hook on every sleep, so a test can change the UI between polls.
class PollClock final : public Clock {
 public:
  std::int64_t now_ms() override { return inner.now_ms(); }
  double wall_seconds() override { return inner.wall_seconds(); }
  void sleep_ms(std::int64_t ms) override {
    inner.sleep_ms(ms);
    ++sleeps;
    if (on_sleep) on_sleep(sleeps);
  }
  fakes::FakeClock inner;
  int sleeps = 0;
  std::function<void(int)> on_sleep;
};

class WaitCommand : public ::testing::Test {
 protected:
  WaitCommand() {
    platform.windows = &windows;
    platform.uia = &uia;
    main_window = windows.add({.title = "Main", .pid = 31});
    other_window = windows.add({.title = "Other", .pid = 32});
    FakeElement& root = uia.add_window(main_window, "main");
    save = &uia.add_child(root, "save");
    save->name = "Save As";
    save->control_type = 50000;  // Button
    FakeElement& other_root = uia.add_window(other_window, "other");
    uia.add_child(other_root, "cancel").name = "Cancel";
  }

  Result<Json> wait(Json args) {
    CommandContext ctx{platform, shared};
    // As read from a request line, where non-negative numbers are unsigned.
    return wait_for_command(Json::parse(args.dump()), ctx);
  }

  std::string outcome(Json args) {
    auto result = wait(std::move(args));
    if (result) return result->dump();
    return std::string(error_code_name(result.error().code)) + ": " + result.error().message;
  }

  std::int64_t elapsed() { return clock.now_ms() - start; }

  PollClock clock;
  std::int64_t start = clock.now_ms();
  fakes::FakeWindows windows;
  fakes::FakeUia uia;
  Platform platform{clock, 1};
  SharedState shared;
  WindowHandle main_window = 0;
  WindowHandle other_window = 0;
  FakeElement* save = nullptr;
};

TEST_F(WaitCommand, PresentElementAnswersAfterOnePoll) {
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "SAVE"}}),
            R"({"found":true,"gone":null,"nodeCount":2})");
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "missing"}, {"gone", true}}),
            R"({"found":true,"gone":true,"nodeCount":2})");
  EXPECT_EQ(clock.sleeps, 0);
  EXPECT_EQ(uia.sessions_open(), 0);
}

TEST_F(WaitCommand, PollsEvery150MsUntilTheElementAppearsOrLeaves) {
  save->name = "Saving";
  clock.on_sleep = [&](int sleeps) {
    if (sleeps == 3) save->name = "Done";
  };
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "done"}}),
            R"({"found":true,"gone":null,"nodeCount":2})");
  EXPECT_EQ(elapsed(), 450);

  clock.sleeps = 0;
  start = clock.now_ms();
  clock.on_sleep = [&](int sleeps) {
    if (sleeps == 2) save->offscreen = true;  // no longer reported
  };
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "done"}, {"gone", true}}),
            R"({"found":true,"gone":true,"nodeCount":1})");
  EXPECT_EQ(elapsed(), 300);
}

TEST_F(WaitCommand, TimeoutIsClampedAndAnsweredAsAResult) {
  Json never = {{"windowId", main_window}, {"role", "Button"}};  // roles are case-sensitive
  struct Case {
    Json timeout;
    std::int64_t polled_for;
  } cases[] = {{0, 150}, {3'600'000, 60'000}, {-5, 10'050}, {1.5, 10'050}, {"9", 10'050}};
  for (const Case& c : cases) {
    start = clock.now_ms();
    Json args = never;
    args["timeoutMs"] = c.timeout;
    EXPECT_EQ(outcome(args), R"({"found":false,"nodeCount":2,"timedOut":true})") << c.timeout;
    // The last poll starts before the deadline and is followed by one sleep.
    EXPECT_EQ(elapsed(), c.polled_for) << c.timeout;
  }
}

TEST_F(WaitCommand, RootPrecedenceIsWindowIdThenRootRefThenPid) {
  CommandContext ctx{platform, shared};
  ASSERT_TRUE(list_windows_command(Json::object(), ctx));  // Main is @w1, Other @w2
  Json cancel = {{"text", "cancel"}, {"timeoutMs", 100}};
  auto with = [&](Json extra) {
    Json args = cancel;
    args.update(extra);
    auto result = wait(args);
    EXPECT_TRUE(result) << args << ": " << result.error().message;
    return result && result->value("found", false);
  };
  EXPECT_TRUE(with({{"windowId", other_window}, {"rootRef", "@w1"}, {"pid", 31}}));
  EXPECT_FALSE(with({{"windowId", main_window}, {"rootRef", "@w2"}}));
  EXPECT_TRUE(with({{"rootRef", "@w2"}, {"pid", 31}}));
  EXPECT_TRUE(with({{"windowRef", "@w2"}, {"pid", 31}}));
  EXPECT_FALSE(with({{"rootRef", "@w1"}, {"windowRef", "@w2"}}));
  // An unknown ref falls through to pid; a non-integer windowId is ignored.
  EXPECT_TRUE(with({{"rootRef", "@w9"}, {"pid", 32}}));
  EXPECT_TRUE(with({{"windowId", "1"}, {"pid", 32}}));
  EXPECT_EQ(outcome({{"text", "x"}, {"rootRef", "@w9"}, {"pid", 77}}),
            "target_not_found: waitFor target root was not found");
  EXPECT_EQ(outcome({{"text", "x"}}), "target_not_found: waitFor target root was not found");

  windows.fail_enumeration("Access is denied. (0x80070005)");
  EXPECT_NE(outcome({{"text", "x"}, {"pid", 31}}).find("Access is denied"), std::string::npos);
}

TEST_F(WaitCommand, ScopeComesFromAStoredLook) {
  FakeElement& root = *uia.windows()[main_window];
  FakeElement& group = uia.add_child(root, "group");
  uia.add_child(group, "inner").name = "Inner";
  {
    Look look;
    look.elements["win:look_1:@e5"] = ElementRecord{.runtime_id = *group.runtime_id};
    auto state = shared.state.lock();
    (*state)->looks.store("look_1", look);
  }
  Json args = {{"windowId", main_window}, {"lookId", "look_1"}, {"scopeRef", "win:look_1:@e5"},
               {"timeoutMs", 100}};
  args["text"] = "inner";
  EXPECT_TRUE(wait(args)->value("found", false));
  args["text"] = "save";
  EXPECT_FALSE(wait(args)->value("found", false));
  args["text"] = "inner";
  args["scopeExact"] = true;
  EXPECT_FALSE(wait(args)->value("found", false));

  EXPECT_EQ(outcome({{"scopeRef", "win:look_1:@e5"}}),
            "invalid_request: scopeRef requires lookId");
  EXPECT_EQ(outcome({{"scopeRef", "win:look_1:@e9"}, {"lookId", "look_1"}}),
            "stale_ref: Element reference is stale");
  EXPECT_EQ(outcome({{"scopeRef", "win:look_2:@e5"}, {"lookId", "look_2"}, {"text", "x"}}),
            "stale_look: Owning look is no longer available");
  // A lookId alone is ignored.
  EXPECT_EQ(outcome({{"lookId", "look_2"}, {"windowId", main_window}, {"text", "save"}}),
            R"({"found":true,"gone":null,"nodeCount":4})");
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", 3}, {"gone", true}}),
            "invalid_request: uiaWaitFor requires text, role, or value");
}

TEST_F(WaitCommand, UnreadableElementListIsAnInternalError) {
  uia.open_failure = uia::OpenFailure{uia::OpenFailure::Stage::CreateAutomation, 0, "0x80040154"};
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "save"}}),
            "internal_error: CoCreateInstance IUIAutomation: 0x80040154");
  uia.open_failure.reset();
  EXPECT_NE(outcome({{"windowId", 12345}, {"text", "save"}}).find("internal_error: "),
            std::string::npos);
}

TEST_F(WaitCommand, WithoutUiAutomationWired) {
  platform.uia = nullptr;
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "save"}}),
            "internal_error: UI Automation is not available");
}

TEST(WaitService, BothNamesAnswerThroughTheService) {
  fakes::ServiceHarness h;
  h.uia.add_child(h.uia.add_window(0x700), "ok").name = "OK";
  for (const char* cmd : {"uiaWaitFor", "axWaitFor"}) {
    std::size_t before = h.output.lines().size();
    h.send(std::string(R"({"protocolVersion":4,"id":"w","cmd":")") + cmd +
           R"(","args":{"windowId":1792,"text":"ok"}})");
    ASSERT_TRUE(h.output.wait_for_lines(before + 1));
    EXPECT_EQ(h.output.lines()[before],
              R"({"protocolVersion":4,"id":"w","ok":true,"result":{"found":true,"gone":null,"nodeCount":2}})");
  }
}

TEST_F(WaitCommand, WindowClosingWhileWaitingForGoneIsTheAwaitedOutcome) {
  clock.on_sleep = [&](int) {
    windows.remove(main_window);
    uia.element_from_handle_failure = "Invalid window handle. (0x80070578)";
  };
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "save"}, {"gone", true}}),
            R"({"found":true,"gone":true,"nodeCount":0})");
  // Waiting for an element to appear in a window that is gone still fails.
  EXPECT_EQ(outcome({{"windowId", main_window}, {"text", "save"}}).rfind("internal_error: ", 0), 0u);
}

}  // namespace
}  // namespace winhelper
