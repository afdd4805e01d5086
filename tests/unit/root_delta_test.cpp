#include <gtest/gtest.h>

#include "fakes/fake_clock.h"
#include "fakes/fake_windows.h"
#include "windows/root_delta.h"
#include "windows/window_json.h"

namespace winhelper {
namespace {

using fakes::FakeClock;
using fakes::FakeWindows;

WindowRecord record(std::int64_t id, const std::string& title, bool focused,
                    std::uint32_t pid = 7) {
  WindowRecord r;
  r.window_id = id;
  r.title = title;
  r.ref = "@w" + std::to_string(id);
  r.is_focused = focused;
  r.pid = pid;
  return r;
}

RootSnapshot snapshot(std::initializer_list<WindowRecord> records,
                      std::optional<std::uint32_t> fg) {
  RootSnapshot s;
  s.foreground_pid = fg;
  for (const WindowRecord& r : records) s.roots[root_key(r)] = r;
  return s;
}

WindowChange event(WindowChangeType type, const std::string& kind, const std::string& title,
                   std::optional<WindowHandle> window_id = std::nullopt) {
  WindowChange change;
  change.change = type;
  change.kind = kind;
  change.title = title;
  change.pid = 7;
  change.window_id = window_id;
  return change;
}

std::vector<std::string> changes(const std::vector<WindowChange>& delta) {
  std::vector<std::string> out;
  for (const WindowChange& c : delta) {
    Json wire = window_change_json(c);
    out.push_back(wire["change"].get<std::string>() + " " + wire["title"].get<std::string>());
  }
  return out;
}

TEST(RootDelta, GroupsAppearedClosedFocusedThenForegroundApp) {
  RootSnapshot before = snapshot({record(1, "Main", true), record(2, "Old", false)}, 7);
  RootSnapshot after = snapshot({record(1, "Main", false), record(3, "Dialog", true)}, 9);
  auto delta = compute_root_delta(before, after, 7, {});
  EXPECT_EQ(changes(delta), (std::vector<std::string>{"appeared Dialog", "closed Old",
                                                      "focused Dialog",
                                                      "focused Foreground app"}));
  EXPECT_EQ(
      window_change_json(delta[0]).dump(),
      R"({"change":"appeared","isModal":false,"kind":"window","metadata":{"browserFamily":null,)"
      R"("className":"","exStyle":0,"isBrowser":false},"pid":7,"ref":"@w3","title":"Dialog"})");
  EXPECT_EQ(window_change_json(delta[3]).dump(),
            R"({"change":"focused","kind":"app","pid":9,"title":"Foreground app"})");
}

TEST(RootDelta, ForegroundAppChangeIgnoresTheActingProcess) {
  RootSnapshot same = snapshot({}, 7);
  EXPECT_TRUE(compute_root_delta(snapshot({}, 5), same, 7, {}).empty());
  EXPECT_TRUE(compute_root_delta(snapshot({}, std::nullopt), same, 7, {}).empty());
  EXPECT_TRUE(compute_root_delta(snapshot({}, std::nullopt), snapshot({}, std::nullopt), 7, {})
                  .empty());
  EXPECT_TRUE(compute_root_delta(same, same, 7, {}).empty());
  auto lost = compute_root_delta(snapshot({}, 5), snapshot({}, std::nullopt), 7, {});
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0].pid, 0u);
  auto gained = compute_root_delta(snapshot({}, std::nullopt), snapshot({}, 5), 7, {});
  ASSERT_EQ(gained.size(), 1u);
  EXPECT_EQ(gained[0].pid, 5u);
}

TEST(RootDelta, EventsThatRepeatAListedChangeAreDropped) {
  RootSnapshot before = snapshot({}, 7);
  RootSnapshot after = snapshot({record(3, "Dialog", false)}, 7);
  WindowChange repeat = event(WindowChangeType::Appeared, "window", "Dialog", 3);
  WindowChange menu = event(WindowChangeType::Appeared, "menu", "");
  WindowChange closed = event(WindowChangeType::Closed, "window", "", 4);
  auto delta = compute_root_delta(before, after, 7, {repeat, menu, closed, menu});
  ASSERT_EQ(delta.size(), 3u);
  EXPECT_TRUE(delta[0].ref.has_value());
  EXPECT_EQ(delta[1], menu);
  EXPECT_EQ(delta[2], closed);
}

struct AwaitFixture : ::testing::Test {
  FakeWindows desk;
  FakeClock clock;
  WindowEventLog log;
  WindowHandle main = desk.add({.title = "Main", .pid = 7});

  RootSnapshot before() {
    auto s = take_root_snapshot(desk, 7);
    EXPECT_TRUE(s.ok());
    return s.ok() ? *s : RootSnapshot{};
  }
};

TEST_F(AwaitFixture, NothingChangingEndsAfterThePollWindow) {
  RootSnapshot start = before();
  std::int64_t t0 = clock.now_ms();
  auto result = await_root_change(desk, clock, log, start, 7, log.current_sequence());
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result->delta_source, "snapshot");
  EXPECT_TRUE(result->events.empty());
  EXPECT_EQ(clock.now_ms() - t0, 300);
  EXPECT_EQ(result->after.roots.size(), 1u);
}

TEST_F(AwaitFixture, ANewRootIsPolledThenSettled) {
  RootSnapshot start = before();
  desk.on_enumerate([&](int n) {
    if (n == 2) desk.add({.title = "Dialog", .class_name = "#32770", .pid = 7, .owner = main});
  });
  std::int64_t t0 = clock.now_ms();
  auto result = await_root_change(desk, clock, log, start, 7, log.current_sequence());
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result->delta_source, "win-poll");
  EXPECT_EQ(clock.now_ms() - t0, 30 + 180);
  auto delta = compute_root_delta(start, result->after, 7, result->events);
  ASSERT_EQ(delta.size(), 1u);
  EXPECT_EQ(delta[0].kind, "dialog");
}

TEST_F(AwaitFixture, QueuedEventsOfTheProcessEndThePollAndAreReported) {
  RootSnapshot start = before();
  WindowHandle other = desk.add({.title = "Elsewhere", .pid = 8});
  log.on_raw_event({kEventObjectShow, other, 0, 0}, desk);
  std::uint64_t since = log.current_sequence();
  log.on_raw_event({kEventSystemForeground, other, 0, 0}, desk);
  log.on_raw_event({kEventSystemForeground, main, 0, 0}, desk);
  auto result = await_root_change(desk, clock, log, start, 7, since);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result->delta_source, "win-event+snapshot");
  ASSERT_EQ(result->events.size(), 1u);
  EXPECT_EQ(result->events[0].title, "Main");
}

TEST_F(AwaitFixture, AFailingSnapshotEndsTheWait) {
  RootSnapshot start = before();
  desk.on_enumerate([&](int n) {
    if (n == 2) desk.fail_enumeration("Access is denied. (0x80070005)");
  });
  auto result = await_root_change(desk, clock, log, start, 7, 0);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error(), internal_error("EnumWindows failed: Access is denied. (0x80070005)"));
}

}  // namespace
}  // namespace winhelper
