#include "act/act_batch.h"
#include "act/act_command.h"
#include "act/browser_location.h"
#include "desktop/clipboard_commands.h"
#include "desktop/launch_app_command.h"
#include "desktop/run_command.h"
#include "desktop/window_state_command.h"
#include "observe/look_command.h"
#include "service/diagnostics.h"
#include "service/dispatcher.h"
#include "observe/read_text_command.h"
#include "observe/wait_command.h"
#include "observe/window_commands.h"

namespace winhelper {

void register_commands(Dispatcher& dispatcher) {
  // Answers without a desktop too: it reports whether there is one.
  dispatcher.add("diagnostics", diagnostics_command, Needs::Nothing);
  dispatcher.add("listWindows", list_windows_command);
  dispatcher.add("listRoots", list_windows_command);
  dispatcher.add("focusWindow", focus_window_command);
  dispatcher.add("openBrowserLocation", open_browser_location_command);
  dispatcher.add("uiaReadText", read_text_command);
  dispatcher.add("axReadText", read_text_command);
  dispatcher.add_polled("uiaWaitFor", start_wait_for);
  dispatcher.add_polled("axWaitFor", start_wait_for);
  dispatcher.add("act", act_command);
  dispatcher.add("actBatch", act_batch_command);
  dispatcher.add("look", look_command);
  dispatcher.add("screenshot", look_command);
  dispatcher.add_polled("launchApp", start_launch_app);
  // A command needs no desktop: it runs on a locked or absent one too.
  dispatcher.add_polled("runCommand", start_run_command, Needs::Nothing);
  dispatcher.add("setWindowState", set_window_state_command);
  dispatcher.add("clipboardRead", clipboard_read_command);
  dispatcher.add("clipboardWrite", clipboard_write_command);
}

}  // namespace winhelper
