// winhelper-selftest.exe: checks on this machine what the helper assumes of
// Windows, prints a table and, with --report FILE, writes a JSON report.
// Exit code 0 only when no check failed, 2 for bad arguments or an unwritable
// report.

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/win32/dpi_awareness_win32.h"
#include "common/version.h"
#include "selftest/checks.h"
#include "selftest/self_test.h"
#include "selftest/win32/probes_win32.h"

namespace {

// The arguments as UTF-8, whatever the ANSI code page.
std::vector<std::string> utf8_arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    args.push_back(winhelper::utf16_to_utf8(reinterpret_cast<const char16_t*>(wide[i])));
  }
  LocalFree(wide);
  return args;
}

}  // namespace

int main() {
  using namespace winhelper::selftest;
  const auto options = parse_arguments(utf8_arguments());
  if (!options) {
    std::fprintf(stderr, "%s\n%s", options.error().c_str(), kUsage);
    return 2;
  }
  // As the helper does, so that the checks see windows in its physical pixels.
  winhelper::win32::declare_dpi_awareness();
  auto probes = make_win32_probes();
  const Machine machine = probes->machine();
  const std::vector<Outcome> outcomes = run_all(*probes, machine);
  std::printf("winhelper-selftest %.*s\n%s", static_cast<int>(winhelper::version().size()),
              winhelper::version().data(), console_table(outcomes).c_str());
  if (options->report_path) {
    const std::u16string path = winhelper::utf8_to_utf16(*options->report_path);
    FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb");
    const std::string text = report(winhelper::version(), machine, outcomes).dump(2) + "\n";
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
      if (file != nullptr) std::fclose(file);
      std::fprintf(stderr, "winhelper-selftest: cannot write the report to %s\n",
                   options->report_path->c_str());
      return 2;
    }
    std::fclose(file);
  }
  return exit_code(outcomes);
}
