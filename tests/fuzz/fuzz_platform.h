#pragma once
// One fake desktop wired into the real command table, for the fuzzer, the
// stress test and the MCP server's tests.
//
// The scene: two windows of process 4242 (a text editor, handle 65552 =
// @w1 once listed, and its Save dialog) and a browser of another process,
// with pixels to capture and element trees (a button, an edit, a document,
// a list with an item) for UI Automation.

#include <cstdint>

#include "fakes/fake_desktop.h"
#include "service/dispatcher.h"

namespace winhelper::fuzz {

class FuzzPlatform {
 public:
  static constexpr std::uint32_t kProcessId = fakes::FakeDesktop::kProcessId;

  FuzzPlatform();
  FuzzPlatform(const FuzzPlatform&) = delete;
  FuzzPlatform& operator=(const FuzzPlatform&) = delete;

  Dispatcher& dispatcher() { return dispatcher_; }
  SharedState& shared() { return desk_.shared; }
  fakes::FakeClock& clock() { return desk_.clock; }
  fakes::FakeDesktop& desk() { return desk_; }

 private:
  void build_scene();

  fakes::FakeDesktop desk_;
  Dispatcher dispatcher_;
};

}  // namespace winhelper::fuzz
