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

// Polls every 100 ms for up to `wait_ms` (at least one look, even for 0).
// The window found is listed and observed as listWindows would for its
// process, so its ref names it for the other commands. Nullopt when the time
// ran out or the request was withdrawn.
Result<std::optional<WindowRecord>> await_launched_window(CommandContext& ctx,
                                                          const LaunchWatch& watch,
                                                          std::int64_t wait_ms);

}  // namespace winhelper
