// winhelper-mcp.exe: the same commands as a Model Context Protocol server
// over standard input and output. It reads no files; its options withhold
// tools and set the budget of a look's image.

#include <cstdio>
#include <string_view>
#include <vector>

#include "app/win32/win32_wiring.h"
#include "mcp/server.h"
#include "mcp/server_arguments.h"

int main(int argc, char** argv) {
  auto options =
      winhelper::mcp::parse_server_arguments(std::vector<std::string_view>(argv + 1, argv + argc));
  if (!options) {
    std::fprintf(stderr, "%s\n%s", options.error().c_str(), winhelper::mcp::kServerUsage);
    return 2;
  }
  return winhelper::run_on_windows([&](winhelper::ByteInput& input, winhelper::ByteOutput& output,
                                       winhelper::Dispatcher& dispatcher) {
    winhelper::mcp::run_mcp_server(input, output, dispatcher, *options);
  });
}
