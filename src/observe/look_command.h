#pragma once
// The `look` command (alias `screenshot`): observes one listed root window
// (its image unless told otherwise, and its UI Automation elements, or only
// the subtree of an element of an earlier look), stores the observation
// under a fresh look id and returns its outline, image and description.

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

// Holds the state lock only for its short table reads and writes; capture
// and extraction run without it, so looks at different windows proceed in
// parallel. The physical input lock is not taken.
Result<Json> look_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
