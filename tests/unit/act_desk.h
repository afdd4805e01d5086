#pragma once
// A fake desktop for the acting commands: one application window (pid 77)
// with a UI Automation tree, a look of it stored directly in the look store,
// and helpers to send requests through the real service.

#include <string>

#include "fakes/input_transcript.h"
#include "fakes/service_harness.h"
#include "observe/look_access.h"

namespace winhelper::act_test {

inline constexpr std::uint32_t kAppPid = 77;

class ActDesk {
 public:
  ActDesk();

  // Adds an element of the application window at the screen rectangle and
  // records it in the look under "win:look_1:@e<n>"; returns the fake.
  fakes::FakeElement& element(int n, ScreenRect rect, std::string class_name = "Button");
  // Makes a hit test at the element's centre find `hit` (the element itself
  // by default).
  void hit_at_centre(fakes::FakeElement& element, fakes::FakeElement* hit = nullptr);
  // Stores the look as look_1 (again).
  void store();
  Json ask(const std::string& cmd, const Json& args) { return fakes::ask(h, cmd, args); }
  static std::string error_of(const Json& response) { return fakes::error_of(response); }
  // Once input has been sent, the next enumeration shows a dialog of the
  // application and the watcher reports its creation.
  void open_dialog_after_input();
  std::string input() const { return fakes::transcript(h.input_sink); }

  fakes::ServiceHarness h;
  WindowHandle app = 0;
  WindowHandle other = 0;
  fakes::FakeElement* root = nullptr;
  Look look;
};

}  // namespace winhelper::act_test
