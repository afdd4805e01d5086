#pragma once
// The threads serving the HTTP front's connections: a few at first, one more
// whenever a connection comes and none is free, up to a base ceiling; threads
// beyond the first few end after a while without work. A thread running an
// authenticated call that may block (a wait) lends its place: the ceiling
// rises by one for each such call, up to the hard ceiling, so connections
// without a token can hold at most the base number of threads. When every
// thread is busy and the queue is full, accepting waits, so connections
// beyond the bound stay in the system's backlog instead of holding memory or
// threads.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <httplib.h>

namespace winhelper::mcp {

struct PoolLimits {
  std::size_t min_threads = 4;
  // Threads for connections, whatever they send.
  std::size_t base_threads = 24;
  // Base threads plus those lent to calls in progress.
  std::size_t max_threads = 24;
  std::size_t max_queued = 32;
  // How long a thread beyond min_threads stays without work before it ends.
  std::chrono::milliseconds idle_end{std::chrono::seconds(30)};
};

class ConnectionPool final : public httplib::TaskQueue {
 public:
  explicit ConnectionPool(PoolLimits limits);
  ~ConnectionPool() override;

  bool enqueue(std::function<void()> fn) override;
  // Runs the queued connections, then ends every thread.
  void shutdown() override;

  // Around an authenticated call on a pool thread: while it runs, one more
  // thread may serve other connections.
  void begin_call();
  void end_call();

  // Threads running now, busy or idle.
  std::size_t threads();

 private:
  // Called with mutex_ held.
  void start_thread();
  // Starts threads for queued connections that no idle thread takes, within
  // the ceiling the calls in progress allow. Called with mutex_ held.
  void start_needed();
  std::size_t ceiling() const;
  // Ends the calling pool thread's membership; it returns from work() next.
  void retire();
  void work();
  void join_retired(std::unique_lock<std::mutex>& lock);

  const PoolLimits limits_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  std::deque<std::function<void()>> jobs_;
  std::size_t idle_ = 0;   // threads waiting for a job
  std::size_t calls_ = 0;  // threads lent to calls in progress
  bool closing_ = false;
  std::map<std::thread::id, std::thread> threads_;
  std::vector<std::thread> retired_;  // ended on their own, to be joined
};

}  // namespace winhelper::mcp
