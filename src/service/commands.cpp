#include "service/diagnostics.h"
#include "service/dispatcher.h"
#include "windows/window_commands.h"

namespace winhelper {

void register_commands(Dispatcher& dispatcher) {
  dispatcher.add("diagnostics", diagnostics_command);
  dispatcher.add("listWindows", list_windows_command);
  dispatcher.add("listRoots", list_windows_command);
  dispatcher.add("focusWindow", focus_window_command);
}

}  // namespace winhelper
