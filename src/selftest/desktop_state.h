#pragma once
// What the self-test must leave as it found it: the other windows' places
// and titles, the clipboard's text, and nothing of its own (files,
// processes). Taken before the first check and after the last; the
// comparison is the run's last line, "left-as-found".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "clipboard/clipboard.h"
#include "selftest/self_test.h"
#include "windows/window_system.h"

namespace winhelper::selftest {

struct WindowState {
  WindowHandle handle = 0;
  std::string title;
  std::optional<ScreenRect> rect;
  bool operator==(const WindowState&) const = default;
};

struct DesktopState {
  std::vector<WindowState> windows;  // visible top-level windows
  // The clipboard's text; nullopt when it could not be read.
  std::optional<std::optional<std::string>> clipboard;
};

DesktopState capture_desktop(WindowSystem& windows, Clipboard& clipboard);

// Fails naming each window present both times whose place or title changed,
// a changed clipboard, and each leftover (probes.h); windows that came or
// went meanwhile are other applications' business.
Answer compare_desktops(const DesktopState& before, const DesktopState& after,
                        const std::vector<std::string>& leftovers);

}  // namespace winhelper::selftest
