#pragma once
// The window changes that follow an action: a baseline and the event
// position taken before it, and the wait-and-compare after it, written into
// the action's (or batch's) result.

#include <cstdint>

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"
#include "windows/root_snapshot.h"

namespace winhelper {

struct RootDeltaBaseline {
  std::uint64_t pid = 0;
  // The event sequence before the action: only later events count.
  std::uint64_t since = 0;
  RootSnapshot before;
};

// Reads the event sequence, then snapshots the process's roots.
Result<RootDeltaBaseline> take_root_delta_baseline(CommandContext& ctx, std::uint64_t pid);

// Snapshots the process's roots, then reads the event sequence.
Result<RootDeltaBaseline> take_root_delta_baseline_snapshot_first(CommandContext& ctx,
                                                                  std::uint64_t pid);

// Waits for the changes since the baseline and records them in `result`:
// `deltaSource` inside `performed` (made an object if it is not one) and a
// non-empty change list as `rootDelta`. The action has already happened, so
// a failure here does not turn the answer into an error: the result keeps
// what the action reported and gains `rootDeltaError` with the failure's
// message instead of the delta, so the host does not repeat the action.
void attach_root_delta(CommandContext& ctx, const RootDeltaBaseline& baseline, Json& result);

}  // namespace winhelper
