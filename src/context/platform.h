#pragma once
// The ports through which the core reaches the operating system. `main` for
// Windows wires the Win32 adapters; tests wire the fake desktop.

#include <cstdint>

#include "capture/screen_grabber.h"
#include "clipboard/clipboard.h"
#include "common/clock.h"
#include "common/error.h"
#include "context/desktop_presence.h"
#include "input/input_sink.h"
#include "process/command_runner.h"
#include "process/process_launcher.h"
#include "windows/window_event_source.h"
#include "windows/window_system.h"

namespace winhelper::uia {
class UiaClient;
}

namespace winhelper {

struct Platform {
  Clock& clock;
  // The helper's own process id.
  std::uint32_t process_id = 0;
  // Synthesised mouse and keyboard input; use only while holding the
  // physical input lock.
  InputSink* input = nullptr;
  WindowSystem* windows = nullptr;
  WindowEventSource* window_events = nullptr;
  // Window grabs for looks; null where no screen is wired.
  ScreenGrabber* screen = nullptr;
  // UI Automation; each operation opens its own session on its thread.
  uia::UiaClient* uia = nullptr;
  // Starting programs and reading the process table.
  ProcessLauncher* processes = nullptr;
  // Running programs with their output on pipes.
  CommandRunner* commands = nullptr;
  Clipboard* clipboard = nullptr;
  // The session's desktop facts; null: taken as the user's interactive desktop.
  DesktopProbe* desktop = nullptr;
};

enum class PlatformPort { Input, Windows, Screen, Uia, Processes, Clipboard, Commands };

// `internal_error` "<port> is not available": the one wording for a command
// that needs a port this process did not wire.
HelperError port_unavailable(PlatformPort port);

}  // namespace winhelper
