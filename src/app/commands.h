#pragma once
// The command table of the line protocol and of the MCP tools that forward to it.

#include "service/dispatcher.h"

namespace winhelper {

void register_commands(Dispatcher& dispatcher);

}  // namespace winhelper
