#pragma once
// One fake desktop wired into the real command table, for the fuzzer, the
// stress test and the MCP server's tests. Every fake port is plugged in here
// and nowhere else, so a command that lands with its fake is reached by all
// of them at once.
//
// The scene: two windows of process 4242 (a text editor, handle 65552 =
// @w1 once listed, and its Save dialog) and a browser of another process,
// with pixels to capture and element trees (a button, an edit, a document,
// a list with an item) for UI Automation.

#include <cstdint>

#include "fakes/fake_clock.h"
#include "fakes/fake_input.h"
#include "fakes/fake_screen.h"
#include "fakes/fake_uia.h"
#include "fakes/fake_windows.h"
#include "service/dispatcher.h"
#include "context/helper_state.h"
#include "context/platform.h"

namespace winhelper::fuzz {

class FuzzPlatform {
 public:
  static constexpr std::uint32_t kProcessId = 4242;

  FuzzPlatform();
  FuzzPlatform(const FuzzPlatform&) = delete;
  FuzzPlatform& operator=(const FuzzPlatform&) = delete;

  Dispatcher& dispatcher() { return dispatcher_; }
  SharedState& shared() { return shared_; }
  fakes::FakeClock& clock() { return clock_; }

 private:
  void build_scene();

  fakes::FakeClock clock_;
  fakes::FakeInput input_;
  fakes::FakeWindows windows_;
  fakes::FakeWindowEvents window_events_;
  fakes::FakeScreen screen_;
  fakes::FakeUia uia_;
  Platform platform_;
  SharedState shared_;
  Dispatcher dispatcher_;
};

}  // namespace winhelper::fuzz
