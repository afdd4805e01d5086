#pragma once
// Every platform port wired to its in-memory fake, with the state commands
// share: what a command needs to run on the fake desktop. The service
// harness, the fuzzer's scene and the stress test all start from it, so a
// port that lands with its fake is plugged in here once.

#include <cstdint>

#include "context/command_context.h"
#include "context/helper_state.h"
#include "context/platform.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_command_runner.h"
#include "fakes/fake_input.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_screen.h"
#include "fakes/fake_uia.h"
#include "fakes/fake_windows.h"

namespace winhelper::fakes {

struct FakeDesktop {
  static constexpr std::uint32_t kProcessId = 4242;

  FakeDesktop() {
    platform.input = &input_sink;
    platform.windows = &windows;
    platform.window_events = &window_events;
    platform.screen = &screen;
    platform.uia = &uia;
    platform.processes = &processes;
    platform.clipboard = &clipboard;
    platform.commands = &commands;
  }
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;

  CommandContext context() { return CommandContext{platform, shared}; }

  FakeClock clock;
  FakeWindows windows;
  FakeWindowEvents window_events;
  FakeInput input_sink;
  FakeScreen screen;
  FakeUia uia;
  FakeProcesses processes;
  FakeClipboard clipboard;
  FakeCommandRunner commands;
  Platform platform{clock, kProcessId};
  SharedState shared;
};

}  // namespace winhelper::fakes
