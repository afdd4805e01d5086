#include "app/win32/win32_wiring.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>

#include "capture/win32/gdi_screen_grabber.h"
#include "clipboard/win32/win32_clipboard.h"
#include "context/win32/win32_desktop_probe.h"
#include "common/clock.h"
#include "common/win32/dpi_awareness_win32.h"
#include "input/win32/win32_input_sink.h"
#include "app/commands.h"
#include "process/win32/win32_command_runner.h"
#include "process/win32/win32_process_launcher.h"
#include "service/win32/std_streams.h"
#include "windows/win32/win32_window_events.h"
#include "windows/win32/win32_window_system.h"
#include "windows/window_watcher.h"
#include "uia/win32/com_uia_client.h"

namespace winhelper {

int run_on_windows(const FrontEnd& front_end) {
  win32::declare_dpi_awareness();
  // Diagnostic lines on standard error end in a bare line feed, as on stdout.
  _setmode(_fileno(stderr), _O_BINARY);

  Platform platform{system_clock(), static_cast<std::uint32_t>(GetCurrentProcessId())};
  Win32WindowSystem windows;
  Win32WindowEventSource window_events;
  platform.windows = &windows;
  platform.window_events = &window_events;
  Win32InputSink input_sink;
  platform.input = &input_sink;
  SharedState shared;
  GdiScreenGrabber screen_grabber;
  platform.screen = &screen_grabber;
  uia::ComUiaClient uia_client;
  platform.uia = &uia_client;
  Win32ProcessLauncher launcher;
  platform.processes = &launcher;
  Win32CommandRunner command_runner(launcher);
  platform.commands = &command_runner;
  Win32Clipboard clipboard;
  platform.clipboard = &clipboard;
  Win32DesktopProbe desktop_probe;
  platform.desktop = &desktop_probe;
  Dispatcher dispatcher(CommandContext{platform, shared});
  register_commands(dispatcher);

  StdInput input;
  StdOutput output;
  try {
    // Declared after what it touches, the watcher is stopped and joined
    // before any of it is destroyed.
    shared.window_event_log.ignore_process(platform.process_id);
    WindowWatcher watcher = start_window_watcher(window_events, windows, shared.window_event_log);
    front_end(input, output, dispatcher);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace winhelper
