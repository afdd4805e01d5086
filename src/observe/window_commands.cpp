#include "observe/window_commands.h"

#include <set>

#include "protocol/args.h"
#include "windows/inventory.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

Result<WindowSystem*> window_system(CommandContext& ctx) {
  if (ctx.platform.windows == nullptr) return port_unavailable(PlatformPort::Windows);
  return ctx.platform.windows;
}

void record_listing(HelperState& state, const Json& records, std::optional<std::uint64_t> pid) {
  if (!pid) {
    std::set<std::uint64_t> listed;
    for (const Json& record : records) {
      const Json* ref = arg_member(record, "rootRef");
      if (ref == nullptr || !ref->is_string()) continue;
      if (auto number = parse_window_ref(ref->get<std::string>())) listed.insert(*number);
    }
    state.windows.retain_only(listed);
    state.observed_roots.clear();
  } else {
    for (auto it = state.observed_roots.begin(); it != state.observed_roots.end();) {
      auto record_pid = arg_u64(it->second, "pid");
      if (record_pid && *record_pid == *pid) {
        it = state.observed_roots.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (const Json& record : records) state.observed_roots[root_key(record)] = record;
}

}  // namespace

Result<Json> list_windows_command(const Json& args, CommandContext& ctx) {
  auto windows = window_system(ctx);
  if (!windows) return windows.take_error();
  std::optional<std::uint64_t> pid = arg_u64(args, "pid");

  auto state = ctx.shared.state.lock();
  if (!state) return state.take_error();
  Result<Json> listing = list_windows(**windows, (*state)->windows, pid);
  if (!listing) return listing;
  record_listing(**state, listed_records(*listing), pid);
  return listing;
}

Result<Json> focus_window_command(const Json& args, CommandContext& ctx) {
  std::optional<std::string> text = arg_string(args, "rootRef");
  if (!text) text = arg_string(args, "windowRef");
  if (!text) return invalid_request("focusWindow requires rootRef");
  std::optional<std::uint64_t> number = parse_window_ref(*text);
  if (!number) return invalid_request("Invalid root ref '" + *text + "'");

  auto windows = window_system(ctx);
  if (!windows) return windows.take_error();
  auto state = ctx.shared.state.lock();
  if (!state) return state.take_error();
  std::optional<WindowHandle> handle = (*state)->windows.handle_for(*number);
  if (!handle) return target_not_found("Window ref '" + format_window_ref(*number) + "' not found");

  bool already = (*windows)->foreground() == *handle;
  bool focused = already || (*windows)->set_foreground(*handle);
  Json result = Json::object();
  result["alreadyFocused"] = already;
  result["focused"] = focused;
  return result;
}

}  // namespace winhelper
