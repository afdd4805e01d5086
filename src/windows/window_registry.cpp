#include "windows/window_registry.h"

namespace winhelper {

std::uint64_t WindowRegistry::number_for(WindowHandle window) {
  auto it = by_handle_.find(window);
  if (it != by_handle_.end()) return it->second;
  std::uint64_t number = next_number_++;
  by_handle_.emplace(window, number);
  by_number_.emplace(number, window);
  return number;
}

std::optional<WindowHandle> WindowRegistry::handle_for(std::uint64_t number) const {
  auto it = by_number_.find(number);
  if (it == by_number_.end()) return std::nullopt;
  return it->second;
}

void WindowRegistry::retain_only(const std::set<std::uint64_t>& keep) {
  for (auto it = by_number_.begin(); it != by_number_.end();) {
    if (keep.count(it->first) != 0) {
      ++it;
      continue;
    }
    by_handle_.erase(it->second);
    it = by_number_.erase(it);
  }
}

void WindowRegistry::forget(const std::set<std::uint64_t>& numbers) {
  for (std::uint64_t number : numbers) {
    auto it = by_number_.find(number);
    if (it == by_number_.end()) continue;
    by_handle_.erase(it->second);
    by_number_.erase(it);
  }
}

}  // namespace winhelper
