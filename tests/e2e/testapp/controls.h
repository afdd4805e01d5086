#pragma once
// The child controls of the main window: where they sit and what they hold (ids in
// control_ids.h). The layout fits the default 730x420 window and leaves a free strip at the
// bottom of the client area for clicks and drags on the window background.

#include <windows.h>

namespace testapp {

// Creates every control as a child of `parent`, fills the lists and texts, sets the GUI font.
// Returns false when a control cannot be created.
// With `web_document`, also a child window of Chromium's web content class holding a
// static text (see control_ids.h).
bool create_controls(HWND parent, int long_list_entries, bool web_document);

}  // namespace testapp
