#pragma once
// What the action policies allow. The semantic route is allowed under every
// policy; physical input (synthesised mouse and keyboard events at screen
// coordinates) only under "foreground".

#include "act/act_request.h"
#include "common/result.h"

namespace winhelper {

// The check before the physical route: passes under "foreground"; fails with
// coordinate_blocked under "ax_only" and foreground_required under every
// other policy, including "default" and the empty string.
Status require_physical_policy(ActPolicy policy);

}  // namespace winhelper
