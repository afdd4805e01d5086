#pragma once
// Turns the outcome of a tool's command into an MCP tool result: content
// blocks for the model and the result as structured content; a command's
// error becomes a result with isError true that carries the helper's error
// code and message.

#include <set>
#include <string>
#include <string_view>

#include "mcp/tools.h"
#include "protocol/request.h"

namespace winhelper::mcp {

// `password_refs`: the refs of a look's password fields, named so in the
// outline's text (the structured outline stays as it is).
Json tool_result(const Tool& tool, const Response& response,
                 const std::set<std::string>& password_refs = {});

// A failure found before the command ran (arguments that break the schema).
Json tool_error_result(std::string_view code, std::string_view message);

}  // namespace winhelper::mcp
