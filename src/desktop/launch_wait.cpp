#include "desktop/launch_wait.h"

#include <algorithm>

#include "observe/window_commands.h"
#include "process/process_tree.h"
#include "windows/inventory.h"

namespace winhelper {

namespace {

// The topmost listed window that belongs to the launch, looked up through a
// private registry so that polling leaves the shared refs alone.
std::optional<WindowRecord> launched_window(CommandContext& ctx, const LaunchWatch& watch) {
  WindowRegistry scratch;
  auto listing = list_windows(*ctx.platform.windows, scratch, std::nullopt);
  if (!listing) return std::nullopt;
  std::set<std::uint32_t> tree;
  if (watch.root_pid) {
    tree = process_tree(ctx.platform.processes->processes(), *watch.root_pid, watch.root_created);
  }
  for (const WindowRecord& record : listing->windows) {
    bool ours = watch.root_pid ? tree.contains(record.pid)
                               : !watch.existing.contains(record.window_id);
    if (ours) return record;
  }
  return std::nullopt;
}

// The record under the shared registry's numbering, recorded as observed.
Result<std::optional<WindowRecord>> observe(CommandContext& ctx, const WindowRecord& found) {
  auto listing = list_and_observe_windows(found.pid, ctx);
  if (!listing) return listing.take_error();
  for (WindowRecord& record : listing->windows) {
    if (record.window_id == found.window_id) return std::optional<WindowRecord>(std::move(record));
  }
  return std::optional<WindowRecord>();
}

}  // namespace

std::set<WindowHandle> existing_windows(WindowSystem& windows) {
  WindowEnumeration listed = windows.enumerate_top_level();
  if (listed.failure) return {};
  return {listed.handles.begin(), listed.handles.end()};
}

LaunchLook look_for_launched_window(CommandContext& ctx, const LaunchWatch& watch,
                                   std::int64_t deadline) {
  if (ctx.cancelled()) return {std::optional<WindowRecord>(), 0};
  if (std::optional<WindowRecord> found = launched_window(ctx, watch)) {
    auto observed = observe(ctx, *found);
    // A window that closed between the two listings is waited past.
    if (!observed || observed->has_value()) return {std::move(observed), 0};
  }
  const std::int64_t left = deadline - ctx.platform.clock.now_ms();
  if (left <= 0) return {std::optional<WindowRecord>(), 0};
  return {std::nullopt, std::min(left, kLaunchPollMs)};
}

}  // namespace winhelper
