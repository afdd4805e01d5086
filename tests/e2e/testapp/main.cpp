// A small Win32 program that the end-to-end tests drive under Wine: controls to list, look
// at, click and type into, and a title that says what input arrived (see reporter.h). Never
// shipped.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "main_window.h"
#include "options.h"
#include "reporter.h"
#include "text_util.h"

namespace {

std::vector<std::wstring> command_line_arguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 1; argv != nullptr && i < count; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

int run_message_loop(testapp::MainWindow& window) {
  MSG message;
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    if (window.pre_translate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::wstring error;
  const auto options = testapp::parse_options(command_line_arguments(), error);
  if (!options) {
    testapp::write_stderr(L"testapp: " + error);
    return 2;
  }
  // Same coordinate space as the helper: physical pixels. Refused where unsupported (Wine).
  if (!options->dpi_unaware) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  }

  testapp::Reporter reporter(options->title, options->log_path, options->steady_title);
  testapp::MainWindow window(reporter);
  if (!window.create(instance, *options)) return options->hold_clipboard ? 3 : 1;
  return run_message_loop(window);
}
