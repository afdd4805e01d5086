#include "http/http_server.h"

#include <cstdio>

#include "http/http_front.h"

namespace winhelper::mcp {

int run_mcp_http_server(Dispatcher& dispatcher, const HttpArguments& args,
                        const TokenEnvironment& environment, const ServerOptions& options) {
  auto log = options.log ? options.log : [](const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
  };
  auto resolved = resolve_security(args, environment);
  if (!resolved) {
    log("winhelper-mcp: " + resolved.error());
    return 2;
  }
  for (const std::string& notice : resolved->notices) log(notice);
  HttpOptions http{resolved->security, {}, log};
  http.hub.disabled_tools = options.disabled_tools;
  http.hub.image_budget = options.image_budget;
  http.hub.log = log;
  const CommandContext& context = dispatcher.context();
  HttpFront front(dispatcher, context.shared, context.platform.clock, std::move(http));
  auto port = front.bind();
  if (!port) {
    log("winhelper-mcp: " + port.error());
    return 2;
  }
  const std::string& host = resolved->security.listen.host;
  bool v6 = host.find(':') != std::string::npos;
  log("[mcp-http] serving MCP at http://" + (v6 ? "[" + host + "]" : host) + ":" +
      std::to_string(*port) + "/mcp");
  front.serve();
  return 0;
}

}  // namespace winhelper::mcp
