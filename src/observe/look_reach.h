#pragma once
// How a look reaches its window when Windows stands partly in the way: a
// window that does not answer would hold the worker inside PrintWindow (it
// waits for the window's thread) and inside UI Automation, and the elements
// of a window whose process runs with higher privileges cannot be read. The
// picture then comes from a copy of the screen, and the outline is left
// empty with the warning line that says why.

#include <cstdint>
#include <optional>
#include <string>

#include "windows/window_system.h"

namespace winhelper {

// How long a window may take to answer an empty message before the look
// stops asking it to print itself.
inline constexpr std::uint32_t kPrintProbeMs = 500;

inline constexpr const char* kHigherPrivilegeElementsSkipped =
    "the window belongs to a process running with higher privileges than the helper, and "
    "Windows keeps UI Automation from reading it";
inline constexpr const char* kNotRespondingElementsSkipped = "the window is not responding";

struct LookReach {
  // Whether the window may be asked to draw itself for the picture.
  bool print_window = true;
  // Why the window's elements are not read; nullopt when they are.
  std::optional<std::string> elements_skipped;
};

// A window that Windows reports as hung or that runs higher: screen copy and
// no elements. When the picture is to be taken (`with_image`), a window that
// does not answer within kPrintProbeMs gets a screen copy, and its elements
// are read as usual (UI Automation bounds its own waits).
LookReach look_reach(WindowSystem* windows, std::optional<WindowHandle> window, bool with_image);

}  // namespace winhelper
