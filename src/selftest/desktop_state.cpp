#include "selftest/desktop_state.h"

#include <algorithm>

namespace winhelper::selftest {

DesktopState capture_desktop(WindowSystem& windows, Clipboard& clipboard) {
  DesktopState state;
  const WindowEnumeration all = windows.enumerate_top_level();
  if (!all.failure) {
    for (WindowHandle window : all.handles) {
      if (!windows.is_visible(window)) continue;
      state.windows.push_back({window, windows.title(window), windows.rect(window)});
    }
  }
  if (auto text = clipboard.read_text()) state.clipboard = std::move(text).value();
  return state;
}

Answer compare_desktops(const DesktopState& before, const DesktopState& after,
                        const std::vector<std::string>& leftovers) {
  std::vector<std::string> faults = leftovers;
  for (const WindowState& was : before.windows) {
    const auto now = std::find_if(after.windows.begin(), after.windows.end(),
                                  [&](const WindowState& w) { return w.handle == was.handle; });
    if (now == after.windows.end() || *now == was) continue;
    const std::string name = "window '" + was.title + "'";
    if (now->title != was.title) faults.push_back(name + " is now titled '" + now->title + "'");
    if (now->rect != was.rect) faults.push_back(name + " moved");
  }
  if (before.clipboard && after.clipboard && *before.clipboard != *after.clipboard) {
    faults.push_back("the clipboard's text changed");
  }
  if (faults.empty()) {
    return {Verdict::pass, "other windows kept their places and titles; nothing was left behind",
            ""};
  }
  std::string reason;
  for (const std::string& fault : faults) reason += (reason.empty() ? "" : "; ") + fault;
  return {Verdict::fail, reason, ""};
}

}  // namespace winhelper::selftest
