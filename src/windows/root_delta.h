#pragma once
// Root deltas: what happened to the acting process's top-level windows after
// an action, from before/after snapshots and the queued window events.

#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/result.h"
#include "windows/window_record.h"
#include "windows/root_snapshot.h"
#include "windows/window_event_log.h"
#include "windows/window_system.h"

namespace winhelper {

inline constexpr std::int64_t kDeltaPollWindowMs = 300;
inline constexpr std::int64_t kDeltaPollIntervalMs = 30;
inline constexpr std::int64_t kDeltaSettleIntervalMs = 60;
inline constexpr int kDeltaSettleSteps = 3;

struct AwaitedRootChange {
  RootSnapshot after;
  // Changes of the acting process's events counted after `since`.
  std::vector<WindowChange> events;
  // "snapshot", "win-poll" or "win-event+snapshot".
  std::string delta_source;
};

// Polls snapshots of `pid` and the event log for up to 300 ms after an
// action; once something changed, lets it settle over three more snapshots.
// Never called with the state lock held: it sleeps.
Result<AwaitedRootChange> await_root_change(WindowSystem& windows, Clock& clock,
                                            WindowEventLog& log, const RootSnapshot& before,
                                            std::uint64_t pid, std::uint64_t since);

// The changes in groups: appeared roots, closed roots, newly focused roots,
// the foreground application switch, then the events that do not repeat a
// change already listed (same change, kind, title and pid).
std::vector<WindowChange> compute_root_delta(const RootSnapshot& before, const RootSnapshot& after,
                                             std::uint64_t acting_pid,
                                             const std::vector<WindowChange>& events);

}  // namespace winhelper
