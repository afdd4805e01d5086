#pragma once
// launchApp: starts a program, document, URL or packaged application, or a
// command line without a shell, and waits for its first window.

#include "common/result.h"
#include "context/command_context.h"
#include "context/polled_command.h"
#include "protocol/request.h"

namespace winhelper {

// {"pid": n or null, "timedOut": bool, "window": window record or null}.
// The program starts before the first poll; the polls look for its window.
PolledStart start_launch_app(const Json& args, CommandContext& ctx);
// The same, run to its answer on the calling thread.
Result<Json> launch_app_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
