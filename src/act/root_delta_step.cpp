#include "act/root_delta_step.h"

#include "windows/root_delta.h"
#include "windows/window_json.h"

namespace winhelper {

namespace {

Result<WindowSystem*> window_port(CommandContext& ctx) {
  if (!ctx.platform.windows) return port_unavailable(PlatformPort::Windows);
  return ctx.platform.windows;
}

}  // namespace

Result<RootDeltaBaseline> take_root_delta_baseline(CommandContext& ctx, std::uint64_t pid) {
  auto windows = window_port(ctx);
  if (!windows) return windows.take_error();
  RootDeltaBaseline baseline;
  baseline.pid = pid;
  baseline.since = ctx.shared.window_event_log.current_sequence();
  auto before = take_root_snapshot(**windows, pid);
  if (!before) return before.take_error();
  baseline.before = std::move(*before);
  return baseline;
}

Result<RootDeltaBaseline> take_root_delta_baseline_snapshot_first(CommandContext& ctx,
                                                                  std::uint64_t pid) {
  auto windows = window_port(ctx);
  if (!windows) return windows.take_error();
  RootDeltaBaseline baseline;
  baseline.pid = pid;
  auto before = take_root_snapshot(**windows, pid);
  if (!before) return before.take_error();
  baseline.before = std::move(*before);
  baseline.since = ctx.shared.window_event_log.current_sequence();
  return baseline;
}

void attach_root_delta(CommandContext& ctx, const RootDeltaBaseline& baseline, Json& result) {
  auto windows = window_port(ctx);
  if (!windows) {
    result["rootDeltaError"] = windows.error().message;
    return;
  }
  auto awaited = await_root_change(**windows, ctx.platform.clock, ctx.shared.window_event_log,
                                   baseline.before, baseline.pid, baseline.since);
  if (!awaited) {
    result["rootDeltaError"] = awaited.error().message;
    return;
  }
  std::vector<WindowChange> delta =
      compute_root_delta(baseline.before, awaited->after, baseline.pid, awaited->events);
  if (!result.contains("performed") || !result["performed"].is_object()) {
    result["performed"] = Json::object();
  }
  result["performed"]["deltaSource"] = awaited->delta_source;
  if (delta.empty()) return;
  Json changes = Json::array();
  for (const WindowChange& change : delta) changes.push_back(window_change_json(change));
  result["rootDelta"] = std::move(changes);
}

}  // namespace winhelper
