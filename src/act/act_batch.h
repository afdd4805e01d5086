#pragma once
// `actBatch`: up to twenty actions on one look and one process, checked
// before the first runs, run in order until one fails or did not work, with
// the window changes of the whole run reported once. Steps that ran are not
// undone.

#include <cstddef>
#include <optional>
#include <vector>

#include "act/act_request.h"
#include "common/result.h"
#include "context/look.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

inline constexpr std::size_t kMaxBatchActions = 20;

// True when some entry may send physical input under the "foreground"
// policy: a point target, or an element of the look that its action cannot
// reach through a pattern. Refs the look does not hold do not count.
bool batch_needs_physical_lock(const std::vector<ActRequest>& actions, const Look& look);

struct BatchSteps {
  // One entry per step that ran: its result, or {outcome "didnt", error}.
  std::vector<Json> results;
  // The step that stopped the run (a failure or an outcome of "didnt").
  std::optional<std::size_t> stopped_at;
};

// Runs each entry with root deltas deferred, stopping at the first failure
// or "didnt".
BatchSteps run_batch_steps(const std::vector<ActRequest>& actions, CommandContext& ctx);

// "didnt" when any step did not work, else "unknown" when any step's effect
// is unknown, else "worked".
std::string fold_batch_outcome(const std::vector<Json>& steps);

Result<Json> act_batch_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
