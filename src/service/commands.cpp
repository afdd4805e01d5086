#include "observe/look_command.h"
#include "service/diagnostics.h"
#include "service/dispatcher.h"
#include "windows/window_commands.h"

namespace winhelper {

void register_commands(Dispatcher& dispatcher) {
  dispatcher.add("diagnostics", diagnostics_command);
  dispatcher.add("listWindows", list_windows_command);
  dispatcher.add("listRoots", list_windows_command);
  dispatcher.add("focusWindow", focus_window_command);
  dispatcher.add("look", look_command);
  dispatcher.add("screenshot", look_command);
}

}  // namespace winhelper
