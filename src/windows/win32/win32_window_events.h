#pragma once
// System window events through out-of-context WinEvent hooks, delivered by
// the message loop of the thread that runs the source.

#include <cstdint>
#include <mutex>

#include "windows/window_event_source.h"

namespace winhelper {

class Win32WindowEventSource final : public WindowEventSource {
 public:
  void run(const std::function<void(const RawWindowEvent&)>& deliver) override;
  // Posts WM_QUIT to the running loop's thread.
  void stop() override;

 private:
  std::mutex mutex_;
  // The thread whose loop is running (0: none yet, or ended).
  std::uint32_t loop_thread_ = 0;
  bool stopped_ = false;
};

}  // namespace winhelper
