#include "mcp/server_arguments.h"

#include "mcp/tools.h"

namespace winhelper::mcp {

Result<ServerOptions, std::string> parse_server_arguments(const std::vector<std::string>& args) {
  ServerOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--disable-tool") return "unknown argument '" + args[i] + "'";
    if (i + 1 == args.size()) return std::string("--disable-tool needs a tool name");
    const std::string& name = args[++i];
    if (find_tool(name) == nullptr) return "--disable-tool: no tool is named '" + name + "'";
    options.disabled_tools.insert(name);
  }
  return options;
}

}  // namespace winhelper::mcp
