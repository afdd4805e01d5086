#pragma once
// Holds whoever sleeps on the fake clock (a command between its steps, the
// scheduler's timer between polls) until the test opens it.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace winhelper::fakes {

struct SleepGate {
  std::mutex mutex;
  std::condition_variable changed;
  int sleeping = 0;
  bool open = false;

  void hold() {
    std::unique_lock<std::mutex> lock(mutex);
    ++sleeping;
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
  }
  bool wait_sleeping(int n) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return sleeping >= n; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(mutex);
    open = true;
    changed.notify_all();
  }
};

}  // namespace winhelper::fakes
