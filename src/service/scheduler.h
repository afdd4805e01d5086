#pragma once
// The workers and a timer thread that hands them jobs once their time has
// come. Commands that wait run one poll per job and are queued again on the
// timer, so a pending wait holds no worker; the number of waits pending at
// once is bounded. Timed jobs take at most half the workers at once (at least
// one): with many waits pending their polls queue up among themselves and
// come later, while other requests still find free workers.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "common/clock.h"
#include "service/worker_pool.h"

namespace winhelper {

// Waits pending at once; one more is refused.
inline constexpr std::size_t kMaxPendingWaits = 64;

class Scheduler {
 public:
  using Job = WorkerPool::Job;

  // Throws as WorkerPool does when a thread cannot be started.
  Scheduler(int workers, Clock& clock, std::size_t max_pending = kMaxPendingWaits);
  // As close_and_join.
  ~Scheduler();
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  // A job for the next free worker.
  void submit(Job job);
  // A job queued for the workers once `delay_ms` have passed on the clock.
  void submit_after(std::int64_t delay_ms, Job job);

  // Counts one more pending wait; false (and nothing counted) at the bound.
  bool begin_wait();
  // The wait counted by begin_wait has answered.
  void end_wait();
  std::size_t max_pending() const { return max_pending_; }
  // Waits counted now.
  std::size_t pending();

  // No more requests: every pending wait runs to its answer, every queued
  // job runs, then the threads end. Safe to call more than once.
  void close_and_join();

 private:
  void run_timer();
  // Hands due timed jobs to the workers while fewer than the limit run.
  // Called with mutex_ held.
  void start_due();

  Clock& clock_;
  const std::size_t max_pending_;
  std::mutex mutex_;
  std::condition_variable wake_;            // the timer: a new earliest job, or closing
  std::condition_variable idle_;            // close_and_join: nothing queued, running or pending
  std::multimap<std::int64_t, Job> timed_;  // by due time on clock_
  std::deque<Job> due_;                     // timed jobs whose time has come, in order
  std::size_t timed_running_ = 0;           // timed jobs given to the workers
  const std::size_t max_timed_running_;
  std::size_t pending_ = 0;
  std::size_t running_ = 0;  // jobs given to submit and not yet finished
  bool stopping_ = false;
  WorkerPool pool_;
  std::thread timer_;
};

}  // namespace winhelper
