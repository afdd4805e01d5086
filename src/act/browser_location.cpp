#include "act/browser_location.h"

#include <cstdint>

#include "act/input_admission.h"
#include "common/lowercase.h"
#include "input/input_actions.h"
#include "protocol/args.h"
#include "observe/window_commands.h"

namespace winhelper {

namespace {

constexpr std::uint16_t kVirtualKeyL = 0x4C;
constexpr std::uint16_t kVirtualKeyReturn = 0x0D;

// The first record, top of the Z order first, whose application name
// contains `app_name` (already lower-cased).
const WindowRecord* find_window_by_app(const WindowListing& listing, const std::string& app_name) {
  for (const WindowRecord& record : listing.windows) {
    if (to_lower_utf8(record.app_name).find(app_name) != std::string::npos) return &record;
  }
  return nullptr;
}

Status type_location(CommandContext& ctx, WindowHandle window, const std::string& url) {
  auto hold = ctx.shared.input.acquire();
  if (!hold) return hold.take_error();
  if (Status s = prepare_input_target(*ctx.platform.windows, ctx.platform.clock, window, true);
      !s) {
    return s;
  }
  InputSink& sink = *ctx.platform.input;
  if (Status s = press_chord(sink, kVirtualKeyL); !s) return s;
  if (Status s = type_unicode_text(sink, url); !s) return s;
  return tap_key(sink, kVirtualKeyReturn);
}

}  // namespace

Result<Json> open_browser_location_command(const Json& args, CommandContext& ctx) {
  std::string app_name = to_lower_utf8(arg_string(args, "appName").value_or(""));

  auto listing = list_and_observe_windows(std::nullopt, ctx);
  if (!listing) return listing.take_error();
  const WindowRecord* record = find_window_by_app(*listing, app_name);
  if (!record) {
    return target_not_found(
        "Target browser window was not found; refusing to type into the currently focused window");
  }
  const WindowHandle window = record->window_id;

  auto url = arg_string(args, "url");
  if (!url) return invalid_request("openBrowserLocation requires url");
  if (ctx.platform.input == nullptr) return port_unavailable(PlatformPort::Input);
  if (ctx.platform.windows == nullptr) return port_unavailable(PlatformPort::Windows);

  if (Status typed = type_location(ctx, window, *url); !typed) return typed.take_error();
  Json result = Json::object();
  result["opened"] = true;
  return result;
}

}  // namespace winhelper
