// winhelper-mcp.exe: the same commands as a Model Context Protocol server,
// over standard input and output by default or over HTTP with --http. Its
// arguments withhold tools and set up the HTTP transport.

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/win32_wiring.h"
#include "mcp/http_arguments.h"
#include "mcp/http_server.h"
#include "mcp/server.h"
#include "mcp/server_arguments.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto http = winhelper::mcp::take_http_arguments(args);
  auto options = http ? winhelper::mcp::parse_server_arguments(args)
                      : winhelper::Result<winhelper::mcp::ServerOptions, std::string>(http.error());
  if (!options) {
    std::fprintf(stderr, "%s\n%s%s", options.error().c_str(), winhelper::mcp::kServerUsage,
                 winhelper::mcp::kHttpUsage);
    return 2;
  }
  int code = 0;
  int wired = winhelper::run_on_windows([&](winhelper::ByteInput& input,
                                            winhelper::ByteOutput& output,
                                            winhelper::Dispatcher& dispatcher) {
    if (!http->listen) return winhelper::mcp::run_mcp_server(input, output, dispatcher, *options);
    // NO-INTERACTIVE-DESKTOP: log the desktop check's warning here at start,
    // once the core check exists.
    code = winhelper::mcp::run_mcp_http_server(dispatcher, *http,
                                               winhelper::mcp::process_token_environment(),
                                               *options);
  });
  return wired != 0 ? wired : code;
}
