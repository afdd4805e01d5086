// The HTTP front's connection threads: grown on demand, shrunk when idle.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "http/connection_pool.h"

namespace winhelper::mcp {
namespace {

bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

TEST(ConnectionPool, GrowsWhileAllAreBusyAndEndsIdleThreadsBeyondTheFirst) {
  ConnectionPool pool({1, 4, 5, 8, std::chrono::milliseconds(50)});
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> started = 0;
  std::atomic<int> finished = 0;
  auto blocking = [&] {
    ++started;
    released.wait();
    ++finished;
  };
  for (int i = 0; i < 5; ++i) pool.enqueue(blocking);
  ASSERT_TRUE(eventually([&] { return started == 4; }));
  EXPECT_EQ(pool.threads(), 4u);  // the base ceiling: the fifth waits in the queue
  // A call that may block lends its thread's place: the fifth starts, and
  // the hard ceiling holds however many calls run.
  pool.begin_call();
  pool.begin_call();
  ASSERT_TRUE(eventually([&] { return started == 5; }));
  EXPECT_EQ(pool.threads(), 5u);
  pool.end_call();
  pool.end_call();
  release.set_value();
  ASSERT_TRUE(eventually([&] { return finished == 5; }));
  ASSERT_TRUE(eventually([&] { return pool.threads() == 1; }));
  pool.enqueue([&] { ++finished; });  // the one left still serves
  EXPECT_TRUE(eventually([&] { return finished == 6; }));
  pool.shutdown();
  EXPECT_EQ(pool.threads(), 0u);
}

}  // namespace
}  // namespace winhelper::mcp
