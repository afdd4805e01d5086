#pragma once
// The modal "Test Dialog" (template in testapp.rc): a static "Dialog text" and an OK button.

#include <windows.h>

#include "reporter.h"

namespace testapp {

// Runs the dialog modally over `owner` and returns when it is closed. Reports "clicked OK"
// or "closed Test Dialog".
void run_test_dialog(HWND owner, Reporter& reporter);

// Shows the modal "Test Message" box over `owner` and returns when it is closed. Reports
// "closed Test Message".
void run_test_message_box(HWND owner, Reporter& reporter);

}  // namespace testapp
