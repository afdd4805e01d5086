#pragma once
// One fake desktop wired into the real command table, for the fuzzer and the
// stress test. Every fake port that exists is plugged in here and nowhere
// else, so a command that lands with its fake is reached by both at once.

#include <cstdint>

#include "fakes/fake_clock.h"
#include "fakes/fake_input.h"
#include "service/dispatcher.h"
#include "service/helper_state.h"
#include "service/platform.h"

namespace winhelper::fuzz {

class FuzzPlatform {
 public:
  static constexpr std::uint32_t kProcessId = 4242;

  FuzzPlatform();
  FuzzPlatform(const FuzzPlatform&) = delete;
  FuzzPlatform& operator=(const FuzzPlatform&) = delete;

  Dispatcher& dispatcher() { return dispatcher_; }
  SharedState& shared() { return shared_; }

 private:
  fakes::FakeClock clock_;
  fakes::FakeInput input_;
  Platform platform_;
  SharedState shared_;
  Dispatcher dispatcher_;
};

}  // namespace winhelper::fuzz
