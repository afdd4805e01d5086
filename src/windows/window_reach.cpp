#include "windows/window_reach.h"

namespace winhelper {

bool process_runs_higher(WindowSystem& windows, std::uint32_t pid) {
  const HelperPrivilege own = windows.own_privilege();
  if (own.ui_access || !own.integrity || pid == 0) return false;
  const std::optional<std::uint32_t> level = windows.process_integrity(pid);
  return level && *level > *own.integrity;
}

WindowReach window_reach(WindowSystem& windows, WindowHandle window) {
  if (process_runs_higher(windows, windows.process_id(window))) return WindowReach::HigherPrivilege;
  if (windows.is_hung(window)) return WindowReach::NotResponding;
  return WindowReach::Open;
}

}  // namespace winhelper
