#include "windows/window_watcher.h"

namespace winhelper {

WindowWatcher::WindowWatcher(WindowEventSource& source, WindowSystem& windows, WindowEventLog& log)
    : source_(source), thread_([&source, &windows, &log] {
        source.run([&](const RawWindowEvent& event) {
          // Delivery happens inside a system callback that no exception may
          // cross; an event that cannot be recorded is dropped.
          try {
            log.on_raw_event(event, windows);
          } catch (...) {
          }
        });
      }) {}

void WindowWatcher::stop() {
  if (!thread_.joinable()) return;
  source_.stop();
  thread_.join();
}

}  // namespace winhelper
