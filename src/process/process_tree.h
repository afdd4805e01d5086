#pragma once
// The processes a launch may have handed its window to: the started process
// and, transitively, every process it started.

#include <cstdint>
#include <set>
#include <vector>

#include "process/process_launcher.h"

namespace winhelper {

// `root` and its descendants in `table`. A parent's id may have been reused
// since it exited, so a process counts only when it was created no earlier
// than `root_created` (0: unknown, every time passes).
std::set<std::uint32_t> process_tree(const std::vector<ProcessEntry>& table, std::uint32_t root,
                                     std::uint64_t root_created);

}  // namespace winhelper
