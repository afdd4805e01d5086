#include "service/worker_pool.h"

#include <stdexcept>
#include <system_error>

namespace winhelper {

WorkerPool::WorkerPool(int workers) {
  threads_.reserve(static_cast<std::size_t>(workers));
  try {
    for (int i = 0; i < workers; ++i) {
      threads_.emplace_back([this] {
        Job job;
        while (next(job)) {
          job();
          job = nullptr;  // release what the job holds before waiting again
        }
      });
    }
  } catch (const std::system_error&) {
    close_and_join();
    throw std::runtime_error("failed to spawn thread");
  }
}

WorkerPool::~WorkerPool() {
  close_and_join();
}

void WorkerPool::submit(Job job) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    jobs_.push_back(std::move(job));
  }
  ready_.notify_one();
}

void WorkerPool::close_and_join() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    closed_ = true;
  }
  ready_.notify_all();
  for (std::thread& worker : threads_) {
    if (worker.joinable()) worker.join();
  }
}

bool WorkerPool::next(Job& job) {
  std::unique_lock<std::mutex> hold(mutex_);
  ready_.wait(hold, [&] { return closed_ || !jobs_.empty(); });
  if (jobs_.empty()) return false;
  job = std::move(jobs_.front());
  jobs_.pop_front();
  return true;
}

}  // namespace winhelper
