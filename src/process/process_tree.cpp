#include "process/process_tree.h"

namespace winhelper {

std::set<std::uint32_t> process_tree(const std::vector<ProcessEntry>& table, std::uint32_t root,
                                     std::uint64_t root_created) {
  std::set<std::uint32_t> tree{root};
  // Grows by one generation per pass, so the table's order does not matter.
  for (bool grew = true; grew;) {
    grew = false;
    for (const ProcessEntry& entry : table) {
      if (entry.pid == 0 || entry.pid == entry.parent_pid || tree.contains(entry.pid)) continue;
      if (!tree.contains(entry.parent_pid)) continue;
      if (root_created != 0 && entry.created != 0 && entry.created < root_created) continue;
      tree.insert(entry.pid);
      grew = true;
    }
  }
  return tree;
}

}  // namespace winhelper
