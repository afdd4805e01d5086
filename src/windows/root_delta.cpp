#include "windows/root_delta.h"

#include <array>

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

Json member_or_null(const Json& record, const char* key) {
  if (!record.is_object()) return nullptr;
  auto it = record.find(key);
  return it == record.end() ? Json(nullptr) : *it;
}

bool is_focused(const Json& record) {
  if (!record.is_object()) return false;
  auto it = record.find("isFocused");
  return it != record.end() && it->is_boolean() && it->get<bool>();
}

// Equal change, kind, title and pid; a member missing on both sides matches.
bool repeats(const Json& a, const Json& b) {
  static constexpr std::array<const char*, 4> kKeys{"change", "kind", "title", "pid"};
  for (const char* key : kKeys) {
    auto ia = a.find(key);
    auto ib = b.find(key);
    bool has_a = ia != a.end();
    bool has_b = ib != b.end();
    if (has_a != has_b) return false;
    if (has_a && !(*ia == *ib)) return false;
  }
  return true;
}

Json foreground_app_change(std::uint64_t pid) {
  Json change = Json::object();
  change["change"] = "focused";
  change["kind"] = "app";
  change["pid"] = pid;
  change["title"] = "Foreground app";
  return change;
}

}  // namespace

Json root_change(const Json& record, const char* change) {
  Json out = Json::object();
  out["change"] = change;
  const Json kind = member_or_null(record, "kind");
  out["kind"] = kind.is_string() ? kind : Json("window");
  out["ref"] = member_or_null(record, "rootRef");
  out["title"] = member_or_null(record, "title");
  const Json pid = member_or_null(record, "pid");
  bool non_negative = pid.is_number_unsigned() ||
                      (pid.is_number_integer() && pid.get<std::int64_t>() >= 0);
  out["pid"] = non_negative ? pid : Json(0);
  const Json modal = member_or_null(record, "isModal");
  if (modal.is_boolean()) out["isModal"] = modal;
  if (record.is_object() && record.contains("metadata")) out["metadata"] = record["metadata"];
  return out;
}

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
    std::vector<Json> events = log.events_since(since, pid);
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

std::vector<Json> compute_root_delta(const RootSnapshot& before, const RootSnapshot& after,
                                     std::uint64_t acting_pid, const std::vector<Json>& events) {
  std::vector<Json> delta;
  for (const auto& [key, record] : after.roots) {
    if (before.roots.count(key) == 0) delta.push_back(root_change(record, "appeared"));
  }
  for (const auto& [key, record] : before.roots) {
    if (after.roots.count(key) == 0) delta.push_back(root_change(record, "closed"));
  }
  for (const auto& [key, record] : after.roots) {
    if (!is_focused(record)) continue;
    auto was = before.roots.find(key);
    if (was != before.roots.end() && is_focused(was->second)) continue;
    delta.push_back(root_change(record, "focused"));
  }

  const auto& b = before.foreground_pid;
  const auto& a = after.foreground_pid;
  bool a_is_actor = a && *a == acting_pid;
  if (!b) {
    if (a && !a_is_actor) delta.push_back(foreground_app_change(*a));
  } else if (a != b && !a_is_actor) {
    delta.push_back(foreground_app_change(a ? *a : 0));
  }

  for (const Json& event : events) {
    bool listed = false;
    for (const Json& existing : delta) {
      if (repeats(existing, event)) {
        listed = true;
        break;
      }
    }
    if (!listed) delta.push_back(event);
  }
  return delta;
}

}  // namespace winhelper
