#pragma once
// The commands on top-level windows: listWindows (alias listRoots) and
// focusWindow.

#include <cstdint>
#include <optional>

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"
#include "windows/inventory.h"

namespace winhelper {

// Lists the windows, numbers them in the shared registry and records them as
// the observed roots. An unfiltered listing also forgets the numbers of
// windows no longer listed; one filtered by `pid` replaces only that
// process's observed roots. Other commands list unfiltered through it.
Result<WindowListing> list_and_observe_windows(std::optional<std::uint64_t> pid,
                                               CommandContext& ctx);

// The listing above, filtered by a non-negative integer `pid`.
Result<Json> list_windows_command(const Json& args, CommandContext& ctx);

// One foreground request for a listed window; a refusal is a result
// ({"alreadyFocused", "focused"}), not an error.
Result<Json> focus_window_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
