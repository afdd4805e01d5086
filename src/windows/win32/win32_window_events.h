#pragma once
// System window events through out-of-context WinEvent hooks, delivered by
// the message loop of the thread that runs the source.

#include "windows/window_event_source.h"

namespace winhelper {

class Win32WindowEventSource final : public WindowEventSource {
 public:
  void run(const std::function<void(const RawWindowEvent&)>& deliver) override;
};

}  // namespace winhelper
