#pragma once
// The MCP executable's command line: `--disable-tool NAME[,NAME...]` or
// `--disable-tool=NAME[,NAME...]` (repeatable; blank names are skipped),
// `--max-image-side N` (the longer side of a look's image, 1 to 16384,
// default 1568) and `--max-image-bytes N` (the most Base64 text of a look's
// image, 65536 to 1073741824, default 1048576), each of the last two at most
// once.

#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "mcp/server.h"

namespace winhelper::mcp {

inline constexpr std::size_t kMinImageBytes = std::size_t{1} << 16;
inline constexpr std::size_t kMaxImageBytes = std::size_t{1} << 30;

inline constexpr const char* kServerUsage =
    "usage: winhelper-mcp [--disable-tool NAME[,NAME...]]... [--max-image-side N]\n"
    "                     [--max-image-bytes N] [--http [HOST:]PORT [HTTP options]]\n"
    "       winhelper-mcp --version\n"
    "An MCP server over standard input and output (an MCP client starts it), or over HTTP.\n"
    "--disable-tool NAMES leave the tools (comma-separated; --disable-tool=NAMES also\n"
    "                     works, and an empty list disables none) out of tools/list and\n"
    "                     refuse calls to them\n"
    "--max-image-side N   longer side of a look's image at most N pixels (default 1568)\n"
    "--max-image-bytes N  Base64 of a look's image at most N bytes (default 1048576;\n"
    "                     JPEG is sent when the PNG is larger)\n";

// The options for the arguments after the program name, or the line to print
// before the usage text. An unknown tool name is refused: a misspelt name
// would otherwise leave the tool enabled without a word.
Result<ServerOptions, std::string> parse_server_arguments(
    const std::vector<std::string_view>& args);

}  // namespace winhelper::mcp
