#pragma once
// The window inventory: visible top-level windows as window records, top of
// the Z order first, numbered through a registry, with a fresh state id.

#include <cstdint>
#include <optional>

#include "common/result.h"
#include "protocol/request.h"
#include "windows/window_registry.h"
#include "windows/window_system.h"

namespace winhelper {

// The listing result: {"roots": [...], "stateId": "w-<n>", "windows": [...]},
// both arrays holding the same records. With `only_pid`, windows of other
// processes are left out and take no position. The caller owns `registry`
// and must keep it from other threads for the whole call.
Result<Json> list_windows(WindowSystem& windows, WindowRegistry& registry,
                          std::optional<std::uint64_t> only_pid);

// The process owning the foreground window; none when there is no foreground
// window or its pid reads as 0.
std::optional<std::uint32_t> foreground_process_id(WindowSystem& windows);

// The records of a listing result: `roots`, or `windows` when it has no
// `roots`; empty when neither is an array.
const Json& listed_records(const Json& listing);

}  // namespace winhelper
