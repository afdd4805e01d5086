#include "windows/window_reach.h"

namespace winhelper {

namespace {

bool runs_higher(WindowSystem& windows, WindowHandle window) {
  const HelperPrivilege own = windows.own_privilege();
  if (own.ui_access || !own.integrity) return false;
  const std::uint32_t pid = windows.process_id(window);
  if (pid == 0) return false;
  const std::optional<std::uint32_t> level = windows.process_integrity(pid);
  return level && *level > *own.integrity;
}

}  // namespace

WindowReach window_reach(WindowSystem& windows, WindowHandle window) {
  if (runs_higher(windows, window)) return WindowReach::HigherPrivilege;
  if (windows.is_hung(window)) return WindowReach::NotResponding;
  return WindowReach::Open;
}

}  // namespace winhelper
