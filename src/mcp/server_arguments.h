#pragma once
// The MCP server's command line: `--disable-tool NAME`, repeatable.

#include <string>
#include <vector>

#include "common/result.h"
#include "mcp/server.h"

namespace winhelper::mcp {

inline constexpr const char* kServerUsage =
    "usage: winhelper-mcp [--disable-tool NAME]... [--http [HOST:]PORT [HTTP options]]\n"
    "An MCP server over standard input and output (an MCP client starts it), or over HTTP.\n"
    "--disable-tool NAME  leave the tool out of tools/list and refuse calls to it\n";

// The options for the arguments after the program name, or the reason they
// are refused. An unknown tool name is refused: a misspelt name would
// otherwise leave the tool enabled without a word.
Result<ServerOptions, std::string> parse_server_arguments(const std::vector<std::string>& args);

}  // namespace winhelper::mcp
