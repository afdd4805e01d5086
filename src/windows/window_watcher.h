#pragma once
// The window event watcher: one thread, started at service start, that feeds
// the window event log until its owner stops it.

#include <thread>

#include "windows/window_event_log.h"
#include "windows/window_event_source.h"
#include "windows/window_system.h"

namespace winhelper {

// Owns the watcher thread; destroying it (or stop()) asks the source to stop
// and joins the thread, so the three objects the thread touches need to
// outlive only the owner.
class WindowWatcher {
 public:
  WindowWatcher(WindowEventSource& source, WindowSystem& windows, WindowEventLog& log);
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;
  ~WindowWatcher() { stop(); }

  // Returns once the thread has ended; later calls do nothing. Called by the
  // owning thread only.
  void stop();

 private:
  WindowEventSource& source_;
  std::thread thread_;
};

// Throws std::system_error when the thread cannot start.
[[nodiscard]] inline WindowWatcher start_window_watcher(WindowEventSource& source,
                                                        WindowSystem& windows,
                                                        WindowEventLog& log) {
  return WindowWatcher(source, windows, log);
}

}  // namespace winhelper
