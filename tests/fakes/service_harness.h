#pragma once
// Runs the real service (reader loop, worker pool, dispatcher) on a thread,
// fed through an in-memory pipe, so tests can exchange real JSON lines.

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_clock.h"
#include "fakes/fake_input.h"
#include "fakes/fake_screen.h"
#include "fakes/fake_uia.h"
#include "fakes/fake_windows.h"
#include "fakes/pipe_streams.h"
#include "app/commands.h"
#include "service/service.h"

namespace winhelper::fakes {

class ServiceHarness {
 public:
  // `setup` may add test-only commands before the service starts.
  template <typename Setup>
  explicit ServiceHarness(Setup&& setup) : dispatcher(CommandContext{platform, shared}) {
    platform.windows = &windows;
    platform.window_events = &window_events;
    platform.input = &input_sink;
    platform.screen = &screen;
    platform.uia = &uia;
    register_commands(dispatcher);
    setup(dispatcher);
    thread_ = std::thread([this] { run_service(input, output, dispatcher); });
  }
  ServiceHarness() : ServiceHarness([](Dispatcher&) {}) {}
  ~ServiceHarness() {
    input.close();
    if (thread_.joinable()) thread_.join();
  }

  void send(const std::string& line) { input.feed(line + "\n"); }
  // Closes the input and waits for the service to finish.
  void finish() {
    input.close();
    if (thread_.joinable()) thread_.join();
  }

  FakeClock clock;
  FakeWindows windows;
  FakeWindowEvents window_events;
  FakeInput input_sink;
  FakeScreen screen;
  FakeUia uia;
  Platform platform{clock, 4242};
  SharedState shared;
  Dispatcher dispatcher;
  PipeInput input;
  LineOutput output;

 private:
  std::thread thread_;
};

}  // namespace winhelper::fakes
