#pragma once
// Clock port: monotonic time, wall time and sleeping. The fake clock in the
// tests advances instantly when slept on.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace winhelper {

class Clock {
 public:
  virtual ~Clock() = default;
  // Monotonic milliseconds from an arbitrary origin.
  virtual std::int64_t now_ms() = 0;
  // Seconds since 1970-01-01 00:00 UTC.
  virtual double wall_seconds() = 0;
  virtual void sleep_ms(std::int64_t ms) = 0;
  // Waits on `wake` for up to `ms` milliseconds of this clock, with `lock`
  // released meanwhile; may return early (notified, or spuriously). By
  // default a real wait, which is right for any clock that follows real time.
  virtual void wait_on(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                       std::int64_t ms);
};

// The real clock (std::chrono); works on every platform.
Clock& system_clock();

}  // namespace winhelper
