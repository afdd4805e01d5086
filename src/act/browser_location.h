#pragma once
// openBrowserLocation: find a window by application name, bring it to the
// foreground and type a location into its address bar (Ctrl+L, the text,
// Enter). Keys are sent only once the window is known to be in the
// foreground, so they never land in whatever window happened to have focus.

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

// {"opened": true}. Lists the windows as an unfiltered listWindows does,
// with the same effect on the window registry and the observed roots.
Result<Json> open_browser_location_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
