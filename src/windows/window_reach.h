#pragma once
// Whether Windows lets the helper's input and UI Automation reach a window.
// User interface privilege isolation silently drops synthesised input into
// the windows of a process that runs at a higher integrity level, and keeps
// UI Automation from reading them, unless the helper has UI access. A window
// whose thread has stopped answering takes no input until it recovers and
// holds every message sent to it.

#include "windows/window_system.h"

namespace winhelper {

enum class WindowReach {
  Open,             // nothing known stands in the way
  HigherPrivilege,  // the window's process runs at a higher integrity level
  NotResponding,    // Windows reports the window's thread as hung
};

// Whether the process runs at a higher integrity level than the helper and
// the helper lacks UI access; a level that cannot be read, or pid 0, counts
// as no.
bool process_runs_higher(WindowSystem& windows, std::uint32_t pid);

// Privilege is judged first: it lasts, while a hang passes. A level that
// cannot be read (the helper's or the window's) counts as no obstacle.
WindowReach window_reach(WindowSystem& windows, WindowHandle window);

}  // namespace winhelper
