#include "windows/window_watcher.h"

#include <thread>

namespace winhelper {

void start_window_watcher(WindowEventSource& source, WindowSystem& windows, WindowEventLog& log) {
  std::thread watcher([&source, &windows, &log] {
    source.run([&](const RawWindowEvent& event) {
      // Delivery happens inside a system callback that no exception may
      // cross; an event that cannot be recorded is dropped.
      try {
        log.on_raw_event(event, windows);
      } catch (...) {
      }
    });
  });
  watcher.detach();
}

}  // namespace winhelper
