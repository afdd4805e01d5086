#pragma once
// The window inventory: visible top-level windows as window records, top of
// the Z order first, numbered through a registry, with a fresh state id.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "windows/window_record.h"
#include "windows/window_registry.h"
#include "windows/window_system.h"

namespace winhelper {

struct WindowListing {
  std::vector<WindowRecord> windows;
  // "w-<n>", drawn once per listing.
  std::string state_id;
};

// With `only_pid`, windows of other processes are left out and take no
// position. The caller owns `registry` and must keep it from other threads
// for the whole call.
Result<WindowListing> list_windows(WindowSystem& windows, WindowRegistry& registry,
                                   std::optional<std::uint64_t> only_pid);

// The process owning the foreground window; none when there is no foreground
// window or its pid reads as 0.
std::optional<std::uint32_t> foreground_process_id(WindowSystem& windows);

}  // namespace winhelper
