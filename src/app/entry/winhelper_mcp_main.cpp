// winhelper-mcp.exe: the same commands as a Model Context Protocol server
// over standard input and output. It reads no files; its options set the
// budget of a look's image.

#include <cstdio>
#include <string_view>
#include <vector>

#include "app/win32/win32_wiring.h"
#include "mcp/server.h"
#include "mcp/server_arguments.h"

namespace {

winhelper::mcp::ServerOptions options;

void serve(winhelper::ByteInput& input, winhelper::ByteOutput& output,
           winhelper::Dispatcher& dispatcher) {
  winhelper::mcp::run_mcp_server(input, output, dispatcher, options);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  auto budget = winhelper::mcp::parse_server_arguments(args);
  if (!budget) {
    std::fprintf(stderr,
                 "%s: %s\n"
                 "usage: %s [--max-image-side N] [--max-image-bytes N]\n"
                 "An MCP server over standard input and output; an MCP client starts it.\n"
                 "Look images: longer side at most N pixels (default 1568), Base64 at most N\n"
                 "bytes (default 1048576; JPEG is sent when the PNG is larger).\n",
                 argv[0], budget.error().c_str(), argv[0]);
    return 2;
  }
  options.image_budget = *budget;
  return winhelper::run_on_windows(serve);
}
