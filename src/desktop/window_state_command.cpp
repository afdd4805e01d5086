#include "desktop/window_state_command.h"

#include "act/input_admission.h"
#include "act/root_delta_step.h"
#include "observe/window_commands.h"
#include "protocol/args.h"
#include "windows/window_json.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

enum class TargetState { Minimize, Maximize, Restore, Close };

struct StateRequest {
  std::uint64_t number = 0;
  std::optional<TargetState> state;
  std::optional<ScreenRect> bounds;
};

std::optional<TargetState> parse_state(const std::string& text) {
  if (text == "minimize") return TargetState::Minimize;
  if (text == "maximize") return TargetState::Maximize;
  if (text == "restore") return TargetState::Restore;
  if (text == "close") return TargetState::Close;
  return std::nullopt;
}

Result<ScreenRect> read_bounds(const Json& bounds) {
  auto x = arg_i64(bounds, "x");
  auto y = arg_i64(bounds, "y");
  auto width = arg_i64(bounds, "width");
  auto height = arg_i64(bounds, "height");
  // Windows keeps coordinates in 32 bits.
  constexpr std::int64_t kLimit = 1 << 30;
  auto fits = [&](const std::optional<std::int64_t>& v, std::int64_t low) {
    return v && *v >= low && *v < kLimit;
  };
  if (!fits(x, -kLimit) || !fits(y, -kLimit) || !fits(width, 1) || !fits(height, 1)) {
    return invalid_request(
        "setWindowState bounds need integers x and y and positive integers width and height");
  }
  return ScreenRect{*x, *y, *x + *width, *y + *height};
}

Result<StateRequest> read_request(const Json& args) {
  std::optional<std::string> text = arg_string(args, "rootRef");
  if (!text) text = arg_string(args, "windowRef");
  if (!text) return invalid_request("setWindowState requires rootRef");
  StateRequest request;
  std::optional<std::uint64_t> number = parse_window_ref(*text);
  if (!number) return invalid_request("Invalid root ref '" + *text + "'");
  request.number = *number;

  if (const Json* bounds = arg_member(args, "bounds"); bounds && !bounds->is_null()) {
    auto rect = read_bounds(*bounds);
    if (!rect) return rect.take_error();
    request.bounds = *rect;
  }
  std::optional<std::string> state = arg_string(args, "state");
  if (state) request.state = parse_state(*state);
  if (!request.state && (state || !request.bounds)) {
    return invalid_request("setWindowState requires state minimize, maximize, restore or close");
  }
  if (request.bounds && request.state && *request.state != TargetState::Restore) {
    return invalid_request("setWindowState applies bounds only with state restore");
  }
  return request;
}

Result<WindowHandle> resolve_window(CommandContext& ctx, std::uint64_t number) {
  auto state = ctx.shared.state.lock();
  if (!state) return state.take_error();
  std::optional<WindowHandle> handle = (*state)->windows.handle_for(number);
  if (!handle || ctx.platform.windows->process_id(*handle) == 0) {
    return target_not_found("Window ref '" + format_window_ref(number) + "' not found");
  }
  return *handle;
}

Status arrange(WindowSystem& windows, WindowHandle window, const StateRequest& request) {
  if (request.state == TargetState::Minimize) windows.show(window, ShowCommand::Minimize);
  if (request.state == TargetState::Maximize) windows.show(window, ShowCommand::Maximize);
  // A minimised or maximised window is shown in its normal size first, so
  // that bounds move the window the user would see.
  if (request.state == TargetState::Restore ||
      (request.bounds && (windows.is_iconic(window) || windows.is_maximized(window)))) {
    windows.show(window, ShowCommand::Restore);
  }
  if (request.bounds && !windows.move(window, *request.bounds)) {
    return internal_error("Windows did not move the window");
  }
  return ok_status();
}

// The window's record as listWindows gives it now, or null.
Result<Json> current_record(CommandContext& ctx, std::uint32_t pid, WindowHandle window) {
  auto listing = list_and_observe_windows(pid, ctx);
  if (!listing) return listing.take_error();
  for (const WindowRecord& record : listing->windows) {
    if (record.window_id == window) return window_record_json(record);
  }
  return Json(nullptr);
}

}  // namespace

Result<Json> set_window_state_command(const Json& args, CommandContext& ctx) {
  auto request = read_request(args);
  if (!request) return request.take_error();
  if (ctx.platform.windows == nullptr) return port_unavailable(PlatformPort::Windows);
  WindowSystem& windows = *ctx.platform.windows;
  auto window = resolve_window(ctx, request->number);
  if (!window) return window.take_error();
  if (Status admitted = admit_window(windows, *window, kStateHigherPrivilegeMessage,
                                     kStateNotRespondingMessage);
      !admitted) {
    return admitted.take_error();
  }
  const std::uint32_t pid = windows.process_id(*window);

  Json result = Json::object();
  if (request->state == TargetState::Close) {
    auto baseline = take_root_delta_baseline(ctx, pid);
    if (!baseline) return baseline.take_error();
    if (!windows.post_close(*window)) return internal_error("Windows did not take the close request");
    attach_root_delta(ctx, *baseline, result);
  } else if (Status arranged = arrange(windows, *window, *request); !arranged) {
    return arranged.take_error();
  }
  auto record = current_record(ctx, pid, *window);
  if (!record) return record.take_error();
  result["window"] = std::move(*record);
  return result;
}

}  // namespace winhelper
