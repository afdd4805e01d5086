#pragma once
// A fixed pool of worker threads taking jobs from one unbounded first-in
// first-out queue. Both front ends (the line protocol and the MCP server)
// run their requests on it, so requests start in arrival order and at most
// `workers` of them run at once.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace winhelper {

class WorkerPool {
 public:
  using Job = std::function<void()>;

  // Starts the workers; throws std::runtime_error("failed to spawn thread")
  // when a thread cannot be started (those already started are joined).
  explicit WorkerPool(int workers);
  // Closes the queue and waits, as close_and_join.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Called by the reader thread; never blocks on running jobs.
  void submit(Job job);
  // No more jobs: the workers finish everything queued, then end; returns
  // once every worker has ended. Safe to call more than once.
  void close_and_join();

 private:
  // False once the queue is closed and empty.
  bool next(Job& job);

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> jobs_;
  bool closed_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace winhelper
