#pragma once
// The window event watcher: one detached thread, started once at service
// start, that feeds the window event log for the life of the process.

#include "windows/window_event_log.h"
#include "windows/window_event_source.h"
#include "windows/window_system.h"

namespace winhelper {

// The three objects must outlive the process's use of them (the thread is
// never joined). Throws std::system_error when the thread cannot start.
void start_window_watcher(WindowEventSource& source, WindowSystem& windows, WindowEventLog& log);

}  // namespace winhelper
