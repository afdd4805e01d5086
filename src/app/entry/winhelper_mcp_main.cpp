// winhelper-mcp.exe: the same commands as a Model Context Protocol server,
// over standard input and output by default or over HTTP with --http. Its
// arguments withhold tools, set the budget of a look's image and set up the
// HTTP transport; --version alone prints the version and exits.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/win32_wiring.h"
#include "common/version.h"
#include "context/desktop_presence.h"
#include "http/http_arguments.h"
#include "http/http_server.h"
#include "mcp/server.h"
#include "mcp/server_arguments.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("winhelper-mcp %.*s\n", static_cast<int>(winhelper::version().size()),
                winhelper::version().data());
    return 0;
  }
  auto http = winhelper::mcp::take_http_arguments(args);
  auto options = http ? winhelper::mcp::parse_server_arguments(
                            std::vector<std::string_view>(args.begin(), args.end()))
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
    // A remote agent cannot see the desktop this process lacks: say so at start.
    if (auto warning = winhelper::desktop_presence_warning(dispatcher.context().platform.desktop)) {
      std::fprintf(stderr, "winhelper-mcp: %s\n", warning->c_str());
    }
    code = winhelper::mcp::run_mcp_http_server(
        dispatcher, *http, winhelper::mcp::process_token_environment(), *options);
  });
  return wired != 0 ? wired : code;
}
