#pragma once
// Command line of the test application:
//
//   testapp.exe [--title <text>] [--x <n>] [--y <n>] [--w <n>] [--h <n>]
//               [--browser-class] [--topmost] [--log <file>] [--long-list <n>]
//
//   --title          base title (default "Winhelper Test App"), so instances can be told apart
//   --x --y --w --h  outer window rectangle in screen pixels (default 40, 40, 730, 420)
//   --browser-class  register the main window class as "Chrome_WidgetWin_1" instead of
//                    "WinhelperTestApp", so the window looks like a browser's
//   --topmost        an always-on-top window, to cover another instance
//   --log            append every reported event to this file (see reporter.h)
//   --long-list      entries of the long list (default 100), to make windows of any size
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
  int long_list_entries = 100;
};

// Parses the arguments after the program name. On failure returns nothing and sets `error`.
std::optional<Options> parse_options(const std::vector<std::wstring>& args, std::wstring& error);

}  // namespace testapp
