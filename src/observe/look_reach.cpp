#include "observe/look_reach.h"

#include "windows/window_reach.h"

namespace winhelper {

LookReach look_reach(WindowSystem* windows, std::optional<WindowHandle> window, bool with_image) {
  LookReach reach;
  if (windows == nullptr || !window) return reach;
  switch (window_reach(*windows, *window)) {
    case WindowReach::HigherPrivilege:
      return LookReach{false, kHigherPrivilegeElementsSkipped};
    case WindowReach::NotResponding:
      return LookReach{false, kNotRespondingElementsSkipped};
    case WindowReach::Open:
      break;
  }
  if (with_image) reach.print_window = windows->answers_within(*window, kPrintProbeMs);
  return reach;
}

}  // namespace winhelper
