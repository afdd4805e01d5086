// winhelper-mcp.exe: the same commands as a Model Context Protocol server
// over standard input and output. It reads no files; its only arguments
// withhold tools.

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/win32_wiring.h"
#include "mcp/server.h"
#include "mcp/server_arguments.h"

int main(int argc, char** argv) {
  auto options =
      winhelper::mcp::parse_server_arguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::fprintf(stderr, "%s\n%s", options.error().c_str(), winhelper::mcp::kServerUsage);
    return 2;
  }
  return winhelper::run_on_windows([&](winhelper::ByteInput& input, winhelper::ByteOutput& output,
                                       winhelper::Dispatcher& dispatcher) {
    winhelper::mcp::run_mcp_server(input, output, dispatcher, *options);
  });
}
