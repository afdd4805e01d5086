#pragma once
// Command line of the test application:
//
//   testapp.exe [--title <text>] [--x <n>] [--y <n>] [--w <n>] [--h <n>]
//               [--browser-class] [--topmost] [--log <file>] [--hang-ms <n>]
//               [--message-box] [--long-list <n>] [--photo] [--steady-title]
//               [--dpi-unaware] [--hold-clipboard]
//
//   --title          base title (default "Winhelper Test App"), so instances can be told apart
//   --x --y --w --h  outer window rectangle in screen pixels (default 40, 40, 730, 420)
//   --browser-class  register the main window class as "Chrome_WidgetWin_1" instead of
//                    "WinhelperTestApp", so the window looks like a browser's, and add a
//                    web content window (control_ids.h)
//   --topmost        an always-on-top window, to cover another instance
//   --log            append every reported event to this file (see reporter.h)
//   --hang-ms        F9 in the main window stops its UI thread for this many milliseconds
//                    (it answers no message meanwhile, like a hung application); 0, the
//                    default, leaves F9 an ordinary key
//   --message-box    "Open Dialog" shows a system message box ("Test Message", one OK button,
//                    the default one, so Enter closes it) instead of the Test Dialog
//   --long-list      entries of the long list (default 100), to make windows of any size
//   --photo          a photo-like background (smooth colour with noise) instead of a flat one
//   --steady-title   the title stays the base title (events still go to --log), for tests
//                    that compare two looks of the window
//
// An unknown option or a bad number ends the process with exit code 2 and a message on
// standard error, before any window exists.

#include <optional>
#include <string>
#include <vector>

namespace testapp {

struct Options {
  std::wstring title = L"Winhelper Test App";
  int x = 40;
  int y = 40;
  int width = 730;
  int height = 420;
  bool browser_class = false;
  bool topmost = false;
  std::wstring log_path;
  int hang_ms = 0;
  bool message_box = false;
  int long_list_entries = 100;
  bool photo = false;
  bool steady_title = false;
  bool dpi_unaware = false;
  bool hold_clipboard = false;
};

// Parses the arguments after the program name. On failure returns nothing and sets `error`.
std::optional<Options> parse_options(const std::vector<std::wstring>& args, std::wstring& error);

}  // namespace testapp
