#include "windows/window_event_log.h"

#include <algorithm>

#include "windows/window_classes.h"

namespace winhelper {

namespace {

bool is_vanishing(std::uint32_t event) {
  return event == kEventObjectDestroy || event == kEventObjectHide;
}

bool is_appearing(std::uint32_t event) {
  return event == kEventObjectCreate || event == kEventObjectShow;
}

// Whether the event concerns a top-level window itself. Destroyed windows
// can no longer be asked for their ancestor, so they pass on ids alone.
bool concerns_top_level_window(const RawWindowEvent& event, WindowSystem& windows) {
  if (event.window == 0) return false;
  if (event.event == kEventSystemForeground) {
    return windows.root_ancestor(event.window) == event.window;
  }
  if (!is_vanishing(event.event) && !is_appearing(event.event)) return false;
  if (event.object_id != 0 || event.child_id != 0) return false;
  if (event.event == kEventObjectDestroy) return true;
  return windows.root_ancestor(event.window) == event.window;
}

WindowChange unknown_closed_window(WindowHandle window, std::uint32_t pid) {
  WindowChange change;
  change.kind = "window";
  change.pid = pid;
  change.window_id = window;
  return change;
}

}  // namespace

WindowChange describe_window_for_event(WindowSystem& windows, WindowHandle window,
                                       std::uint32_t pid) {
  std::string class_name = windows.class_name(window);
  std::uint32_t ex_style = windows.ex_style(window);
  WindowChange change;
  change.is_modal = window_is_modal(class_name, ex_style);
  change.kind = window_kind(class_name, windows.owner(window) != 0);
  change.metadata = WindowMetadata{std::move(class_name), ex_style, std::nullopt};
  change.pid = pid;
  change.title = windows.title(window);
  change.window_id = window;
  return change;
}

void WindowEventLog::on_raw_event(const RawWindowEvent& event, WindowSystem& windows) {
  if (!concerns_top_level_window(event, windows)) return;
  std::uint32_t pid = windows.process_id(event.window);
  if (pid != 0 && pid == ignored_pid_.load()) return;
  bool vanishing = is_vanishing(event.event);

  // A destroyed window usually no longer reports its process by the time an
  // out-of-context event arrives; only such windows whose owner is already
  // known from an earlier appearance can still be reported.
  WindowChange live;
  if (!vanishing) {
    if (pid == 0) return;
    live = describe_window_for_event(windows, event.window, pid);
  }

  auto tables = tables_.lock();
  if (!tables) return;

  WindowChange change;
  if (vanishing) {
    auto known = (*tables)->known.find(event.window);
    if (known != (*tables)->known.end()) {
      change = std::move(known->second);
      (*tables)->known.erase(known);
      if (pid == 0) pid = change.pid;
    } else {
      change = unknown_closed_window(event.window, pid);
    }
    if (pid == 0) return;
    change.change = WindowChangeType::Closed;
  } else {
    change = std::move(live);
    change.change = event.event == kEventSystemForeground ? WindowChangeType::Focused
                                                          : WindowChangeType::Appeared;
    (*tables)->known[event.window] = change;
    prune_known(**tables, windows);
  }

  std::uint64_t sequence = sequence_.fetch_add(1) + 1;
  auto& queue = (*tables)->queue;
  queue.push_back(WindowEvent{std::move(change), sequence, pid});
  while (queue.size() > kCapacity) queue.pop_front();
}

// Some windows appear and never report their end: under Wine the hidden
// "OleMainThreadWndClass" window of every COM apartment goes without an
// event. The helper's own are ignored; other processes' go here. A destroyed
// window reports no process; such entries go once the table outgrows its
// bound. A window whose end is still on its way then
// closes with the fallback description, as one never seen appearing does.
void WindowEventLog::prune_known(Tables& tables, WindowSystem& windows) {
  if (tables.known.size() <= tables.prune_known_at) return;
  std::erase_if(tables.known,
                [&](const auto& entry) { return windows.process_id(entry.first) == 0; });
  tables.prune_known_at = std::max(kKnownPruneAt, 2 * tables.known.size());
}

std::size_t WindowEventLog::known_count() {
  auto tables = tables_.lock();
  return tables ? (*tables)->known.size() : 0;
}

std::vector<WindowChange> WindowEventLog::events_since(std::uint64_t since, std::uint64_t pid) {
  std::vector<WindowChange> changes;
  auto tables = tables_.lock();
  if (!tables) return changes;
  for (const WindowEvent& event : (*tables)->queue) {
    if (event.sequence > since && event.pid == pid) changes.push_back(event.change);
  }
  return changes;
}

}  // namespace winhelper
