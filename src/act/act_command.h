#pragma once
// `act`: one action on a stored look, with the window changes that followed.

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

// Parses the arguments, copies the look out under the state lock, takes the
// root-delta baseline unless `deferRootDelta` is true, runs the point or
// element route and attaches the root delta. A failure of the action itself
// is the answer; a failure after it ran is reported inside the result.
// Batch steps call it with `deferRootDelta` set.
Result<Json> run_act(const Json& args, CommandContext& ctx);

Result<Json> act_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
