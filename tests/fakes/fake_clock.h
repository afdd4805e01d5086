#pragma once
// A clock whose sleeps advance time instantly.

#include <atomic>
#include <functional>

#include "common/clock.h"

namespace winhelper::fakes {

class FakeClock final : public Clock {
 public:
  std::int64_t now_ms() override { return now_.load(); }
  double wall_seconds() override { return 1.7e9 + static_cast<double>(now_.load()) / 1000.0; }
  void sleep_ms(std::int64_t ms) override {
    if (on_sleep) on_sleep();
    if (ms > 0) now_ += ms;
    sleeps_ += 1;
  }
  // Time jumps ahead at once, as in a sleep; the hook runs unlocked.
  void wait_on(std::condition_variable&, std::unique_lock<std::mutex>& lock,
               std::int64_t ms) override {
    lock.unlock();
    sleep_ms(ms);
    lock.lock();
  }
  void advance(std::int64_t ms) { now_ += ms; }
  int sleeps() const { return sleeps_.load(); }

  // Runs on the sleeping thread before time advances (a test can hold a
  // command there). Set it before any command runs.
  std::function<void()> on_sleep;

 private:
  std::atomic<std::int64_t> now_{1'000'000};
  std::atomic<int> sleeps_{0};
};

}  // namespace winhelper::fakes
