#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/fake_windows.h"
#include "windows/window_event_log.h"
#include "windows/window_json.h"
#include "windows/window_watcher.h"

namespace winhelper {
namespace {

using fakes::FakeWindow;
using fakes::FakeWindows;

// The wire form of the queued changes.
std::vector<Json> changes_since(WindowEventLog& log, std::uint64_t since, std::uint64_t pid) {
  std::vector<Json> out;
  for (const WindowChange& change : log.events_since(since, pid)) {
    out.push_back(window_change_json(change));
  }
  return out;
}

RawWindowEvent raw(std::uint32_t event, WindowHandle window, std::int32_t object_id = 0,
                   std::int32_t child_id = 0) {
  return RawWindowEvent{event, window, object_id, child_id};
}

TEST(WindowEventLog, RecordsTopLevelChangesOfLiveWindows) {
  FakeWindows desk;
  WindowHandle main = desk.add({.title = "Main", .pid = 7});
  WindowHandle dialog = desk.add({.title = "Save As", .class_name = "#32770", .pid = 7,
                                  .owner = main, .ex_style = 0x10});
  WindowEventLog log;
  log.on_raw_event(raw(kEventObjectShow, dialog), desk);
  log.on_raw_event(raw(kEventSystemForeground, main), desk);
  EXPECT_EQ(log.current_sequence(), 2u);

  auto events = changes_since(log, 0, 7);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].dump(),
            R"({"change":"appeared","isModal":true,"kind":"dialog","metadata":{"className":"#32770","exStyle":16},"pid":7,"title":"Save As","windowId":)" +
                std::to_string(dialog) + "}");
  EXPECT_EQ(events[1]["change"], "focused");
  EXPECT_EQ(events[1]["kind"], "window");
  EXPECT_EQ(log.events_since(1, 7).size(), 1u);
  EXPECT_TRUE(log.events_since(0, 8).empty());
}

TEST(WindowEventLog, IgnoresPartsChildrenNullWindowsAndOrphans) {
  FakeWindows desk;
  WindowHandle main = desk.add({.title = "Main", .pid = 7});
  WindowHandle child = desk.add({.title = "Button", .pid = 7, .visible = false, .root = main});
  WindowHandle orphan = desk.add({.title = "ghost", .pid = 0});
  WindowEventLog log;
  log.on_raw_event(raw(kEventObjectCreate, 0), desk);
  log.on_raw_event(raw(kEventObjectShow, main, -4), desk);
  log.on_raw_event(raw(kEventObjectShow, main, 0, 3), desk);
  log.on_raw_event(raw(kEventObjectCreate, child), desk);
  log.on_raw_event(raw(kEventSystemForeground, child), desk);
  log.on_raw_event(raw(kEventObjectShow, orphan), desk);
  log.on_raw_event(raw(0x800C, main), desk);
  EXPECT_EQ(log.current_sequence(), 0u);
}

TEST(WindowEventLog, ClosingReportsWhatTheWindowWas) {
  FakeWindows desk;
  WindowHandle dialog = desk.add({.title = "Confirm", .class_name = "#32770", .pid = 7});
  WindowHandle stranger = desk.add({.title = "never seen", .pid = 7});
  WindowEventLog log;
  log.on_raw_event(raw(kEventObjectCreate, dialog), desk);
  // Destroyed windows no longer report a process; a known one keeps its pid.
  desk.remove(dialog);
  log.on_raw_event(raw(kEventObjectDestroy, dialog), desk);
  log.on_raw_event(raw(kEventObjectHide, stranger), desk);
  // A second destruction of the same window is no longer known and has no
  // process, so it is dropped.
  log.on_raw_event(raw(kEventObjectDestroy, dialog), desk);

  auto events = changes_since(log, 1, 7);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]["change"], "closed");
  EXPECT_EQ(events[0]["kind"], "dialog");
  EXPECT_EQ(events[0]["title"], "Confirm");
  EXPECT_EQ(events[1].dump(), R"({"change":"closed","kind":"window","pid":7,"title":"","windowId":)" +
                                  std::to_string(stranger) + "}");
}

TEST(WindowEventLog, KeepsTheNewest256Events) {
  FakeWindows desk;
  WindowHandle w = desk.add({.title = "Main", .pid = 7});
  WindowEventLog log;
  for (int i = 0; i < 300; ++i) log.on_raw_event(raw(kEventSystemForeground, w), desk);
  EXPECT_EQ(log.current_sequence(), 300u);
  EXPECT_EQ(log.events_since(0, 7).size(), 256u);
  EXPECT_EQ(log.events_since(290, 7).size(), 10u);
}

// Windows that vanish without an event (as COM's hidden apartment windows do
// under Wine) must not pile up in the known windows table for the life of
// the helper; live windows keep their entries and still close by name.
TEST(WindowEventLog, ForgetsWindowsThatEndedWithoutAnEvent) {
  FakeWindows desk;
  WindowHandle dialog = desk.add({.title = "Keep me", .class_name = "#32770", .pid = 7});
  WindowEventLog log;
  log.on_raw_event(raw(kEventObjectCreate, dialog), desk);
  for (int i = 0; i < 5000; ++i) {
    WindowHandle hidden = desk.add({.title = "", .class_name = "OleMainThreadWndClass", .pid = 9});
    log.on_raw_event(raw(kEventObjectCreate, hidden), desk);
    desk.remove(hidden);
  }
  EXPECT_LE(log.known_count(), WindowEventLog::kKnownPruneAt + 1);

  desk.remove(dialog);
  log.on_raw_event(raw(kEventObjectDestroy, dialog), desk);
  auto closed = changes_since(log, log.current_sequence() - 1, 7);
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0]["title"], "Keep me");
  EXPECT_EQ(closed[0]["kind"], "dialog");
}

TEST(WindowEventLog, IgnoresTheHelpersOwnWindows) {
  FakeWindows desk;
  WindowEventLog log;
  log.ignore_process(9);
  for (int i = 0; i < 10; ++i) {
    WindowHandle hidden = desk.add({.title = "", .class_name = "OleMainThreadWndClass", .pid = 9});
    log.on_raw_event(raw(kEventObjectCreate, hidden), desk);
    log.on_raw_event(raw(kEventObjectDestroy, hidden), desk);
  }
  log.on_raw_event(raw(kEventObjectShow, desk.add({.title = "Other", .pid = 7})), desk);
  EXPECT_EQ(log.known_count(), 1u);
  EXPECT_TRUE(changes_since(log, 0, 9).empty());
  EXPECT_EQ(changes_since(log, 0, 7).size(), 1u);
}

TEST(WindowEventLog, KeepsEveryLiveWindowKnown) {
  FakeWindows desk;
  WindowEventLog log;
  for (int i = 0; i < 1000; ++i) {
    log.on_raw_event(raw(kEventObjectShow, desk.add({.title = "w", .pid = 7})), desk);
  }
  EXPECT_EQ(log.known_count(), 1000u);
}

TEST(WindowWatcher, FeedsTheLogFromItsOwnThreadUntilItsOwnerEnds) {
  FakeWindows desk;
  fakes::FakeWindowEvents source;
  WindowEventLog log;
  WindowHandle w = desk.add({.title = "Main", .pid = 7});
  source.queue(raw(kEventObjectShow, w));
  source.queue(raw(kEventObjectShow, w, 0, 1));
  source.queue(raw(kEventSystemForeground, w));
  WindowWatcher watcher = start_window_watcher(source, desk, log);
  for (int i = 0; i < 1000 && log.current_sequence() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(log.events_since(0, 7).size(), 2u);
  // Leaving the scope stops the source, which is still waiting for events,
  // and joins the thread before what it touches is destroyed.
}

}  // namespace
}  // namespace winhelper
