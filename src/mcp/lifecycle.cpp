#include "mcp/lifecycle.h"

#include <algorithm>
#include <string>

#include "common/version.h"

namespace winhelper::mcp {

namespace {

constexpr std::string_view kInstructions =
    "Drive Windows desktop applications. Start with list_windows to get window refs (@wN), "
    "then look at a window: its screenshot and outline give each element a ref valid within "
    "that look. Act on elements by lookId and ref (act, act_batch), read long text with "
    "read_text, and wait for UI changes with wait_for. Take a new look after the UI changed; "
    "only the last 8 looks are kept. Real mouse and keyboard input needs policy "
    "\"foreground\".";

}  // namespace

Json server_info() {
  return {{"name", std::string(kServerName)},
          {"title", "Windows desktop helper"},
          {"version", std::string(version())}};
}

std::string_view server_instructions() { return kInstructions; }

std::string_view negotiate_version(std::string_view requested) {
  auto it = std::find(kProtocolVersions.begin(), kProtocolVersions.end(), requested);
  return it != kProtocolVersions.end() ? *it : kProtocolVersions.front();
}

Result<Json> initialize_result(const Json& params) {
  if (!params.is_object()) return invalid_request("initialize requires params");
  auto requested = params.find("protocolVersion");
  if (requested == params.end() || !requested->is_string()) {
    return invalid_request("initialize requires params.protocolVersion (a string)");
  }
  return Json{{"protocolVersion", std::string(negotiate_version(requested->get<std::string>()))},
              {"capabilities", {{"tools", {{"listChanged", false}}}}},
              {"serverInfo", server_info()},
              {"instructions", std::string(kInstructions)}};
}

}  // namespace winhelper::mcp
