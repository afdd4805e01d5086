#pragma once
// The ports through which the core reaches the operating system. `main` for
// Windows wires the Win32 adapters; tests wire the fake desktop.

#include <cstdint>

#include "common/clock.h"

namespace winhelper::uia {
class UiaClient;
}

namespace winhelper {

struct Platform {
  Clock& clock;
  // The helper's own process id.
  std::uint32_t process_id = 0;
  // UI Automation; each operation opens its own session on its thread.
  uia::UiaClient* uia = nullptr;
};

}  // namespace winhelper
