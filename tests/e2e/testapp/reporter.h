#pragma once
// How the test application tells a test what input it received.
//
// The main window title is "<base>" until the first input arrives, then "<base> - <event>"
// with the latest event (with --steady-title it stays "<base>"). With --log <file>, every event is also appended to that file as one
// UTF-8 line "<event>" (CRLF-free, LF-terminated), so a test can see events that a later one
// replaced in the title. Events:
//
//   clicked <button text>          a push button was pressed ("clicked Open Dialog",
//                                  "clicked OK" in the dialog)
//   checked Enable feature         the check box was switched on (or "unchecked ...")
//   text '<contents>'              the Name edit changed; its whole contents
//   password <n> chars             the password edit changed; its length only
//   selected '<item>'              a list box or combo box selection changed; the item text
//   key VK 0x<hh>                  a key went down in the main window or one of its controls
//                                  (upper-case hex, at least two digits)
//   ctrl+<K>                       a letter or digit key went down with Ctrl held ("ctrl+L");
//                                  Ctrl+L also focuses the Name edit and selects its text,
//                                  like a browser's address bar
//   enter                          Return went down
//   click <left|right|middle> at <x>,<y>
//                                  a mouse button went down and up on the window background,
//                                  client coordinates
//   drag from <x1>,<y1> to <x2>,<y2>
//                                  the left button moved while held on the window background
//   wheel <delta> / hwheel <delta> a mouse wheel turned (WHEEL_DELTA 120 per notch)
//   closed Test Dialog             the dialog was dismissed without OK (Escape, close box)
//   closed Test Message            the message box (--message-box) was closed
//   hanging <n> ms                 F9 went down with --hang-ms n: the UI thread stops now
//   responding again               the UI thread runs again after the hang

#include <windows.h>

#include <string>

namespace testapp {

class Reporter {
 public:
  // An empty log path means no log file. A log that cannot be opened is reported on
  // standard error and the title still works. A steady title never changes.
  Reporter(std::wstring base_title, const std::wstring& log_path, bool steady_title = false);
  ~Reporter();
  Reporter(const Reporter&) = delete;
  Reporter& operator=(const Reporter&) = delete;

  const std::wstring& base_title() const { return base_title_; }
  void attach(HWND main_window) { window_ = main_window; }
  void report(const std::wstring& event);

 private:
  std::wstring base_title_;
  HWND window_ = nullptr;
  bool steady_title_ = false;
  HANDLE log_ = INVALID_HANDLE_VALUE;
};

}  // namespace testapp
