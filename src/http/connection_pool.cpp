#include "http/connection_pool.h"

#include <algorithm>

namespace winhelper::mcp {

ConnectionPool::ConnectionPool(PoolLimits limits) : limits_(limits) {
  std::lock_guard<std::mutex> hold(mutex_);
  for (std::size_t i = 0; i < limits_.min_threads; ++i) start_thread();
}

ConnectionPool::~ConnectionPool() {
  shutdown();
}

void ConnectionPool::start_thread() {
  std::thread thread([this] { work(); });
  std::thread::id id = thread.get_id();
  threads_.emplace(id, std::move(thread));
}

std::size_t ConnectionPool::ceiling() const {
  return std::min(limits_.max_threads, limits_.base_threads + calls_);
}

void ConnectionPool::start_needed() {
  for (std::size_t waiting = jobs_.size(); waiting > idle_ && threads_.size() < ceiling();
       --waiting) {
    start_thread();
  }
}

bool ConnectionPool::enqueue(std::function<void()> fn) {
  std::unique_lock<std::mutex> hold(mutex_);
  room_.wait(hold, [&] { return jobs_.size() < limits_.max_queued || closing_; });
  jobs_.push_back(std::move(fn));
  start_needed();
  ready_.notify_one();
  join_retired(hold);
  return true;
}

void ConnectionPool::begin_call() {
  std::lock_guard<std::mutex> hold(mutex_);
  ++calls_;
  start_needed();
}

void ConnectionPool::end_call() {
  std::lock_guard<std::mutex> hold(mutex_);
  --calls_;
}

void ConnectionPool::shutdown() {
  std::unique_lock<std::mutex> hold(mutex_);
  closing_ = true;
  ready_.notify_all();
  room_.notify_all();
  std::map<std::thread::id, std::thread> running = std::move(threads_);
  threads_.clear();
  hold.unlock();
  for (auto& [id, thread] : running) thread.join();
  hold.lock();
  join_retired(hold);
}

std::size_t ConnectionPool::threads() {
  std::lock_guard<std::mutex> hold(mutex_);
  return threads_.size();
}

void ConnectionPool::join_retired(std::unique_lock<std::mutex>& lock) {
  if (retired_.empty()) return;
  std::vector<std::thread> ended = std::move(retired_);
  retired_.clear();
  lock.unlock();
  for (auto& thread : ended) thread.join();
  lock.lock();
}

void ConnectionPool::retire() {
  auto self = threads_.find(std::this_thread::get_id());
  retired_.push_back(std::move(self->second));
  threads_.erase(self);
}

void ConnectionPool::work() {
  std::unique_lock<std::mutex> hold(mutex_);
  for (;;) {
    ++idle_;
    bool woken =
        ready_.wait_for(hold, limits_.idle_end, [&] { return !jobs_.empty() || closing_; });
    --idle_;
    if (jobs_.empty()) {
      if (closing_) return;
      // Idle for long enough: a thread beyond the first few ends.
      if (!woken && threads_.size() > limits_.min_threads) return retire();
      continue;
    }
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    room_.notify_one();
    hold.unlock();
    job();
    hold.lock();
    // A thread lent to a call that ended is not kept for the next connection.
    if (threads_.size() > std::max(limits_.min_threads, ceiling())) return retire();
  }
}

}  // namespace winhelper::mcp
