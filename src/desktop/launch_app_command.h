#pragma once
// launchApp: starts a program, document, URL or packaged application, or a
// command line without a shell, and waits for its first window.

#include "common/result.h"
#include "context/command_context.h"
#include "protocol/request.h"

namespace winhelper {

// {"pid": n or null, "timedOut": bool, "window": window record or null}.
Result<Json> launch_app_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
