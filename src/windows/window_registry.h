#pragma once
// Window numbers for "@w" refs. Not synchronised: the long-lived registry sits
// in HelperState behind the state lock; the acting path numbers with a fresh,
// private one. Numbers are never handed out twice by one registry.

#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "windows/window_system.h"

namespace winhelper {

class WindowRegistry {
 public:
  // The window's number, assigning the next one when it has none.
  std::uint64_t number_for(WindowHandle window);
  std::optional<WindowHandle> handle_for(std::uint64_t number) const;
  // Forgets every number not in `keep`.
  void retain_only(const std::set<std::uint64_t>& keep);
  // Forgets the numbers in `numbers`.
  void forget(const std::set<std::uint64_t>& numbers);
  std::size_t size() const { return by_number_.size(); }

  // Element numbering for "@e" refs, used by tree extraction.
  std::uint64_t next_element_number = 1;

 private:
  std::map<WindowHandle, std::uint64_t> by_handle_;
  std::map<std::uint64_t, WindowHandle> by_number_;
  std::uint64_t next_number_ = 1;
};

}  // namespace winhelper
