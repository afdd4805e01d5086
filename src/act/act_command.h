#pragma once
// `act`: one action on a stored look, with the window changes that followed.

#include "act/act_request.h"
#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

// Copies the look out under the state lock, takes the root-delta baseline
// unless `defer_root_delta`, runs the point or element route and attaches the
// root delta. A failure of the action itself is the answer; a failure after
// it ran is reported inside the result. Batch steps defer the root delta.
Result<Json> run_act(const ActRequest& request, bool defer_root_delta, CommandContext& ctx);

// Parses the arguments (`deferRootDelta` true defers the root delta) and
// runs the action.
Result<Json> act_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
