#pragma once
// uiaWaitFor (alias axWaitFor): polls a window's element list until an
// element matching the filters appears (or, with `gone`, none is left), or
// the time limit passes. A timeout is a result, not an error.

#include <cstdint>

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"
#include "context/polled_command.h"

namespace winhelper {

inline constexpr std::int64_t kWaitPollIntervalMs = 150;
inline constexpr std::uint64_t kWaitDefaultTimeoutMs = 10000;
inline constexpr std::uint64_t kWaitMinTimeoutMs = 100;
inline constexpr std::uint64_t kWaitMaxTimeoutMs = 60000;

// The wait as polls: the front ends run each on a worker and hold nothing
// between them.
PolledStart start_wait_for(const Json& args, CommandContext& ctx);
// The same wait run to its answer on the calling thread.
Result<Json> wait_for_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
