#pragma once
// `diagnostics`: what this helper is and which guarantees it keeps.

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

Result<Json> diagnostics_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
