#pragma once
// Waiting for the window of a launch: the first listed top-level window of
// the started process or of a process it started; when the system named no
// process, the first listed window that was not there before the launch.

#include <cstdint>
#include <optional>
#include <set>

#include "common/result.h"
#include "context/command_context.h"
#include "windows/window_record.h"

namespace winhelper {

inline constexpr std::int64_t kLaunchPollMs = 100;

struct LaunchWatch {
  std::optional<std::uint32_t> root_pid;
  std::uint64_t root_created = 0;
  // Top-level windows that existed before the launch.
  std::set<WindowHandle> existing;
};

// The windows before a launch; empty when enumeration fails.
std::set<WindowHandle> existing_windows(WindowSystem& windows);

// One look for the launch's window, polled every 100 ms until `deadline` on
// the platform clock (at least one look, even when it has passed). The
// window found is listed and observed as listWindows would for its process,
// so its ref names it for the other commands. `outcome` is empty while the
// look is to be repeated after `again_in_ms`; it holds nullopt when the
// time ran out or the request was withdrawn.
struct LaunchLook {
  std::optional<Result<std::optional<WindowRecord>>> outcome;
  std::int64_t again_in_ms = 0;
};
LaunchLook look_for_launched_window(CommandContext& ctx, const LaunchWatch& watch,
                                   std::int64_t deadline);

}  // namespace winhelper
