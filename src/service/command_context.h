#pragma once
// What a command handler is given besides its arguments.

#include "service/helper_state.h"
#include "service/platform.h"

namespace winhelper {

struct CommandContext {
  Platform& platform;
  SharedState& shared;
};

}  // namespace winhelper
