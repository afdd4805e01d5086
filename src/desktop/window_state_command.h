#pragma once
// setWindowState: minimises, maximises, restores, moves and sizes, or asks a
// listed window to close.

#include "common/result.h"
#include "context/command_context.h"
#include "protocol/request.h"

namespace winhelper {

inline constexpr const char* kStateHigherPrivilegeMessage =
    "The window belongs to a process running with higher privileges than the helper, and "
    "Windows keeps the helper from changing it; its state was not changed";
inline constexpr const char* kStateNotRespondingMessage =
    "The window is not responding, so it would not handle the change; its state was not "
    "changed";

// {"window": the window's new record, or null when it is no longer listed};
// a close also carries the root delta ("performed".deltaSource, "rootDelta").
Result<Json> set_window_state_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
