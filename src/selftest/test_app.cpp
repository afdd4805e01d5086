#include "selftest/test_app.h"

#include <string>

namespace winhelper::selftest {

namespace {

// The main window's class, as the test application registers it.
constexpr const char* kMainClass = "WinhelperTestApp";
constexpr std::int64_t kPollMs = 50;

std::vector<WindowHandle> visible_windows_of(WindowSystem& windows, std::uint32_t pid) {
  std::vector<WindowHandle> found;
  const WindowEnumeration all = windows.enumerate_top_level();
  if (all.failure) return found;
  for (WindowHandle window : all.handles) {
    if (windows.process_id(window) == pid && windows.is_visible(window)) found.push_back(window);
  }
  return found;
}

}  // namespace

std::vector<std::string> test_app_arguments(const TestAppSpec& spec) {
  std::vector<std::string> args = {"--title", spec.title,
                                   "--x", std::to_string(spec.rect.left),
                                   "--y", std::to_string(spec.rect.top),
                                   "--w", std::to_string(spec.rect.right - spec.rect.left),
                                   "--h", std::to_string(spec.rect.bottom - spec.rect.top),
                                   "--steady-title"};
  if (spec.hang_ms > 0) args.insert(args.end(), {"--hang-ms", std::to_string(spec.hang_ms)});
  if (spec.dpi_unaware) args.push_back("--dpi-unaware");
  if (spec.hold_clipboard) args.push_back("--hold-clipboard");
  return args;
}

Result<TestApp, Answer> TestApp::start(Probes& probes, const TestAppSpec& spec) {
  auto started = probes.start_test_app(test_app_arguments(spec));
  if (!started) {
    const StartFailure& failure = started.error();
    if (failure.missing) {
      return Answer{Verdict::not_applicable,
                    "the test application (winhelper-testapp.exe) is not beside the self-test",
                    ""};
    }
    return Answer{Verdict::fail, "the test application did not start: " + failure.text, ""};
  }
  std::unique_ptr<StartedProcess> process = std::move(started).value();
  WindowSystem& windows = probes.windows();
  Clock& clock = probes.clock();
  const std::int64_t deadline = clock.now_ms() + kTestAppShowMs;
  while (true) {
    for (WindowHandle window : visible_windows_of(windows, process->pid())) {
      if (windows.class_name(window) == kMainClass && windows.title(window) == spec.title)
        return TestApp(probes, std::move(process), window);
    }
    if (process->wait_exit(0) || clock.now_ms() >= deadline) break;
    clock.sleep_ms(kPollMs);
  }
  // Ended here, so that nothing of it stays behind.
  TestApp failed(probes, std::move(process), 0);
  return Answer{Verdict::fail, "the test application showed no window within 10 s", ""};
}

TestApp::TestApp(Probes& probes, std::unique_ptr<StartedProcess> process, WindowHandle window)
    : probes_(&probes), process_(std::move(process)), window_(window), pid_(process_->pid()) {}

std::vector<WindowHandle> TestApp::other_windows() const {
  std::vector<WindowHandle> others;
  for (WindowHandle window : visible_windows_of(probes_->windows(), pid_)) {
    if (window != window_) others.push_back(window);
  }
  return others;
}

TestApp::~TestApp() {
  if (!process_) return;  // moved from
  // Dialogs first: a modal one keeps its owner from closing.
  for (WindowHandle window : other_windows()) probes_->windows().post_close(window);
  if (window_ != 0) probes_->windows().post_close(window_);
  if (!process_->wait_exit(kTestAppEndMs)) {
    process_->terminate();
    process_->wait_exit(kTestAppEndMs);
  }
}

}  // namespace winhelper::selftest
