#include "windows/root_delta.h"

#include <algorithm>

namespace winhelper {

namespace {

bool same_shape(const RootSnapshot& before, const RootSnapshot& after) {
  if (before.roots.size() != after.roots.size()) return false;
  auto b = before.roots.begin();
  for (auto a = after.roots.begin(); a != after.roots.end(); ++a, ++b) {
    if (a->first != b->first) return false;
  }
  return before.foreground_pid == after.foreground_pid;
}

// Equal change, kind, title and pid.
bool repeats(const WindowChange& a, const WindowChange& b) {
  return a.change == b.change && a.kind == b.kind && a.title == b.title && a.pid == b.pid;
}

WindowChange foreground_app_change(std::uint32_t pid) {
  WindowChange change;
  change.change = WindowChangeType::Focused;
  change.kind = "app";
  change.pid = pid;
  change.title = "Foreground app";
  return change;
}

}  // namespace

Result<AwaitedRootChange> await_root_change(WindowSystem& windows, Clock& clock,
                                            WindowEventLog& log, const RootSnapshot& before,
                                            std::uint64_t pid, std::uint64_t since) {
  auto settle = [&](RootSnapshot& last) -> Status {
    for (int step = 0; step < kDeltaSettleSteps; ++step) {
      clock.sleep_ms(kDeltaSettleIntervalMs);
      Result<RootSnapshot> next = take_root_snapshot(windows, pid);
      if (!next) return next.take_error();
      last = std::move(*next);
    }
    return ok_status();
  };
  auto finish = [&](RootSnapshot last) -> Result<AwaitedRootChange> {
    std::vector<WindowChange> events = log.events_since(since, pid);
    std::string source = events.empty() ? "win-poll" : "win-event+snapshot";
    return AwaitedRootChange{std::move(last), std::move(events), std::move(source)};
  };

  const std::int64_t deadline = clock.now_ms() + kDeltaPollWindowMs;
  RootSnapshot last = before;
  while (true) {
    if (clock.now_ms() >= deadline) {
      return AwaitedRootChange{std::move(last), {}, "snapshot"};
    }
    Result<RootSnapshot> current = take_root_snapshot(windows, pid);
    if (!current) return current.take_error();
    last = std::move(*current);
    bool changed = !same_shape(before, last);
    if (!changed && log.events_since(since, pid).empty()) {
      clock.sleep_ms(kDeltaPollIntervalMs);
      continue;
    }
    if (Status settled = settle(last); !settled) return settled.take_error();
    return finish(std::move(last));
  }
}

std::vector<WindowChange> compute_root_delta(const RootSnapshot& before, const RootSnapshot& after,
                                             std::uint64_t acting_pid,
                                             const std::vector<WindowChange>& events) {
  std::vector<WindowChange> delta;
  for (const auto& [key, record] : after.roots) {
    if (before.roots.count(key) == 0)
      delta.push_back(root_change(record, WindowChangeType::Appeared));
  }
  for (const auto& [key, record] : before.roots) {
    if (after.roots.count(key) == 0) delta.push_back(root_change(record, WindowChangeType::Closed));
  }
  for (const auto& [key, record] : after.roots) {
    if (!record.is_focused) continue;
    auto was = before.roots.find(key);
    if (was != before.roots.end() && was->second.is_focused) continue;
    delta.push_back(root_change(record, WindowChangeType::Focused));
  }

  const auto& b = before.foreground_pid;
  const auto& a = after.foreground_pid;
  bool a_is_actor = a && *a == acting_pid;
  if (!b) {
    if (a && !a_is_actor) delta.push_back(foreground_app_change(*a));
  } else if (a != b && !a_is_actor) {
    delta.push_back(foreground_app_change(a ? *a : 0));
  }

  for (const WindowChange& event : events) {
    bool listed = std::any_of(delta.begin(), delta.end(), [&](const WindowChange& existing) {
      return repeats(existing, event);
    });
    if (!listed) delta.push_back(event);
  }
  return delta;
}

}  // namespace winhelper
