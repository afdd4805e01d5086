#pragma once
// Turns the outcome of a tool's command into an MCP tool result: content
// blocks for the model and the result as structured content; a command's
// error becomes a result with isError true that carries the helper's error
// code and message.

#include <string_view>

#include "mcp/tools.h"
#include "protocol/request.h"

namespace winhelper::mcp {

Json tool_result(const Tool& tool, const Response& response);

// A failure found before the command ran (arguments that break the schema).
Json tool_error_result(std::string_view code, std::string_view message);

}  // namespace winhelper::mcp
