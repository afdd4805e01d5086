#include "common/state_ids.h"

#include <atomic>
#include <cstdint>

namespace winhelper {

std::string next_state_id(std::string_view prefix) {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t n = counter.fetch_add(1, std::memory_order_relaxed);
  std::string id(prefix);
  id += '-';
  id += std::to_string(n);
  return id;
}

}  // namespace winhelper
