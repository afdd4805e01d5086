#include "common/clock.h"

#include <chrono>
#include <thread>

namespace winhelper {

namespace {

class SystemClock final : public Clock {
 public:
  std::int64_t now_ms() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  double wall_seconds() override {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
  }
  void sleep_ms(std::int64_t ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

}  // namespace

void Clock::wait_on(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                    std::int64_t ms) {
  if (ms > 0) wake.wait_for(lock, std::chrono::milliseconds(ms));
}

Clock& system_clock() {
  static SystemClock clock;
  return clock;
}

}  // namespace winhelper
