// winhelper-mcp.exe: the same commands as a Model Context Protocol server
// over standard input and output. It takes no arguments and reads no files.

#include <cstdio>

#include "app/win32/win32_wiring.h"
#include "mcp/server.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr,
                 "usage: %s\n"
                 "An MCP server over standard input and output; an MCP client starts it.\n",
                 argv[0]);
    return 2;
  }
  return winhelper::run_on_windows([](winhelper::ByteInput& input, winhelper::ByteOutput& output,
                                      winhelper::Dispatcher& dispatcher) {
    winhelper::mcp::run_mcp_server(input, output, dispatcher);
  });
}
