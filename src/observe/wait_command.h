#pragma once
// uiaWaitFor (alias axWaitFor): polls a window's element list until an
// element matching the filters appears (or, with `gone`, none is left), or
// the time limit passes. A timeout is a result, not an error.

#include <cstdint>

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

inline constexpr std::int64_t kWaitPollIntervalMs = 150;
inline constexpr std::uint64_t kWaitDefaultTimeoutMs = 10000;
inline constexpr std::uint64_t kWaitMinTimeoutMs = 100;
inline constexpr std::uint64_t kWaitMaxTimeoutMs = 60000;

Result<Json> wait_for_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
