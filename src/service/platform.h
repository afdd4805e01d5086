#pragma once
// The ports through which the core reaches the operating system. `main` for
// Windows wires the Win32 adapters; tests wire the fake desktop.

#include <cstdint>

#include "capture/screen_grabber.h"
#include "common/clock.h"

namespace winhelper {

struct Platform {
  Clock& clock;
  // The helper's own process id.
  std::uint32_t process_id = 0;
  // Window grabs for looks; null where no screen is wired.
  ScreenGrabber* screen = nullptr;
};

}  // namespace winhelper
