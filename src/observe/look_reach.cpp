#include "observe/look_reach.h"

#include <cstdio>

#include "uia/extraction.h"
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

void warn_elements_skipped(const std::string& reason) {
  // One write, so lines of concurrent workers do not interleave.
  std::fputs(uia::extraction_warning_line(reason).c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace winhelper
