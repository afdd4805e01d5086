#include "service/scheduler.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace winhelper {

Scheduler::Scheduler(int workers, Clock& clock, std::size_t max_pending)
    : clock_(clock),
      max_pending_(max_pending),
      max_timed_running_(static_cast<std::size_t>(std::max(1, workers / 2))),
      pool_(workers) {
  try {
    timer_ = std::thread([this] { run_timer(); });
  } catch (const std::system_error&) {
    pool_.close_and_join();
    throw std::runtime_error("failed to spawn thread");
  }
}

Scheduler::~Scheduler() {
  close_and_join();
}

void Scheduler::submit(Job job) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    ++running_;
  }
  pool_.submit([this, job = std::move(job)] {
    job();
    bool idle = false;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      --running_;
      idle = running_ == 0 && pending_ == 0;
    }
    if (idle) idle_.notify_all();
  });
}

void Scheduler::submit_after(std::int64_t delay_ms, Job job) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    timed_.emplace(clock_.now_ms() + std::max<std::int64_t>(delay_ms, 0), std::move(job));
  }
  wake_.notify_one();
}

bool Scheduler::begin_wait() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (pending_ >= max_pending_) return false;
  ++pending_;
  return true;
}

std::size_t Scheduler::pending() {
  std::lock_guard<std::mutex> hold(mutex_);
  return pending_;
}

void Scheduler::end_wait() {
  bool last = false;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (pending_ > 0) --pending_;
    last = pending_ == 0 && running_ == 0;
  }
  if (last) idle_.notify_all();
}

void Scheduler::close_and_join() {
  {
    // Pending waits still need the timer and the workers to reach their
    // answers, and a job not yet run may start another.
    std::unique_lock<std::mutex> hold(mutex_);
    idle_.wait(hold, [&] { return pending_ == 0 && running_ == 0; });
    stopping_ = true;
  }
  wake_.notify_all();
  if (timer_.joinable()) timer_.join();
  pool_.close_and_join();
}

void Scheduler::run_timer() {
  std::unique_lock<std::mutex> hold(mutex_);
  for (;;) {
    if (timed_.empty()) {
      if (stopping_) return;
      wake_.wait(hold);
      continue;
    }
    auto first = timed_.begin();
    const std::int64_t left = first->first - clock_.now_ms();
    if (left > 0) {
      clock_.wait_on(wake_, hold, left);
      continue;
    }
    due_.push_back(std::move(first->second));
    timed_.erase(first);
    start_due();
  }
}

void Scheduler::start_due() {
  while (!due_.empty() && timed_running_ < max_timed_running_) {
    ++timed_running_;
    Job job = std::move(due_.front());
    due_.pop_front();
    pool_.submit([this, job = std::move(job)]() mutable {
      job();
      job = nullptr;  // what the job holds goes before the next one starts
      std::lock_guard<std::mutex> hold(mutex_);
      --timed_running_;
      start_due();
    });
  }
}

}  // namespace winhelper
