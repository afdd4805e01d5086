#pragma once
// The root windows of one process at one moment, for before/after
// comparisons around an action.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "common/result.h"
#include "windows/window_record.h"
#include "windows/window_system.h"

namespace winhelper {

struct RootSnapshot {
  // Absent when there is no foreground window or its pid reads as 0.
  std::optional<std::uint32_t> foreground_pid;
  // Root key to window record; iteration is in byte order of the keys.
  std::map<std::string, WindowRecord> roots;
};

// Lists the windows of `pid` through a fresh registry (so the records' refs
// do not name the long-lived registry's numbers). Fails as the listing does.
Result<RootSnapshot> take_root_snapshot(WindowSystem& windows, std::uint64_t pid);

}  // namespace winhelper
