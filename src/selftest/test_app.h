#pragma once
// The test application shipped beside the self-test, started for a check
// and ended when the check is done, whatever it did to the application.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/rect.h"
#include "selftest/probes.h"

namespace winhelper::selftest {

struct TestAppSpec {
  std::string title = "Winhelper Self-Test";
  ScreenRect rect{60, 60, 790, 480};
  int hang_ms = 0;  // F9 stops its UI thread this long
  bool dpi_unaware = false;
  bool hold_clipboard = false;  // holds the clipboard open while it runs
};

std::vector<std::string> test_app_arguments(const TestAppSpec& spec);

// How long the main window may take to show, and how long the application
// may take to end after it was asked to close before it is terminated.
inline constexpr std::int64_t kTestAppShowMs = 10000;
inline constexpr std::int64_t kTestAppEndMs = 2000;

class TestApp {
 public:
  // Starts the application and waits for its main window to show. The
  // answer on failure: not applicable when the application is not shipped
  // beside the self-test, else a failure.
  static Result<TestApp, Answer> start(Probes& probes, const TestAppSpec& spec);

  TestApp(TestApp&&) noexcept = default;
  TestApp& operator=(TestApp&&) = delete;
  // Asks each of its windows to close, waits, then terminates it.
  ~TestApp();

  WindowHandle window() const { return window_; }
  std::uint32_t pid() const { return pid_; }
  // Its visible top-level windows other than the main one (dialogs).
  std::vector<WindowHandle> other_windows() const;

 private:
  TestApp(Probes& probes, std::unique_ptr<StartedProcess> process, WindowHandle window);

  Probes* probes_;
  std::unique_ptr<StartedProcess> process_;
  WindowHandle window_ = 0;
  std::uint32_t pid_ = 0;
};

}  // namespace winhelper::selftest
