#include "observe/window_commands.h"

#include <set>

#include "protocol/args.h"
#include "windows/window_json.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

Result<WindowSystem*> window_system(CommandContext& ctx) {
  if (ctx.platform.windows == nullptr) return port_unavailable(PlatformPort::Windows);
  return ctx.platform.windows;
}

void record_listing(HelperState& state, const std::vector<WindowRecord>& records,
                    std::optional<std::uint64_t> pid) {
  if (!pid) {
    std::set<std::uint64_t> listed;
    for (const WindowRecord& record : records) {
      if (auto number = parse_window_ref(record.ref)) listed.insert(*number);
    }
    state.windows.retain_only(listed);
    state.observed_roots.clear();
  } else {
    // The process's windows that this listing no longer shows lose their
    // numbers too, as an unfiltered listing drops every window it does not
    // show; otherwise a host that only lists one process would keep a number
    // for every window that process ever had.
    std::set<std::uint64_t> gone;
    std::erase_if(state.observed_roots, [&](const auto& entry) {
      if (entry.second.pid != *pid) return false;
      if (auto number = parse_window_ref(entry.second.ref)) gone.insert(*number);
      return true;
    });
    for (const WindowRecord& record : records) {
      if (auto number = parse_window_ref(record.ref)) gone.erase(*number);
    }
    state.windows.forget(gone);
  }
  for (const WindowRecord& record : records) state.observed_roots[root_key(record)] = record;
}

}  // namespace

Result<WindowListing> list_and_observe_windows(std::optional<std::uint64_t> pid,
                                               CommandContext& ctx) {
  auto windows = window_system(ctx);
  if (!windows) return windows.take_error();
  auto state = ctx.shared.state.lock();
  if (!state) return state.take_error();
  Result<WindowListing> listing = list_windows(**windows, (*state)->windows, pid);
  if (!listing) return listing;
  record_listing(**state, listing->windows, pid);
  return listing;
}

Result<Json> list_windows_command(const Json& args, CommandContext& ctx) {
  Result<WindowListing> listing = list_and_observe_windows(arg_u64(args, "pid"), ctx);
  if (!listing) return listing.take_error();
  return window_listing_json(*listing);
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
