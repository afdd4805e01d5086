#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "fakes/service_harness.h"
#include "fakes/sleep_gate.h"
#include "service/scheduler.h"

namespace winhelper {
namespace {

using fakes::FakeElement;
using fakes::ServiceHarness;
using fakes::SleepGate;

std::string line(const std::string& id, const std::string& cmd, const Json& args) {
  return Json{{"protocolVersion", 4}, {"id", id}, {"cmd", cmd}, {"args", args}}.dump();
}

bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 2000 && !condition(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

// Sixteen waits pending (twice the workers) while a burst of other requests
// comes in: the burst is answered with every wait still pending, then each
// wait ends with its own outcome.
TEST(PendingWaits, LeaveTheWorkersToOtherRequests) {
  SleepGate gate;
  ServiceHarness h;
  h.clock.on_sleep = [&] { gate.hold(); };
  std::int64_t window = h.windows.add({.title = "Main", .pid = 31});
  FakeElement& status = h.uia.add_child(h.uia.add_window(window, "main"), "status");
  status.name = "Loading";

  for (int i = 0; i < 16; ++i) {
    Json args = {{"windowId", window}, {"text", i < 8 ? "ready" : "never"}, {"timeoutMs", 1000}};
    h.send(line("w" + std::to_string(i), "uiaWaitFor", args));
  }
  ASSERT_TRUE(gate.wait_sleeping(1));
  for (int i = 0; i < 40; ++i) {
    h.send(line("b" + std::to_string(i), i % 2 ? "listWindows" : "diagnostics", Json::object()));
  }
  ASSERT_TRUE(h.output.wait_for_lines(40));
  for (const std::string& answer : h.output.lines()) {
    EXPECT_EQ(Json::parse(answer)["id"].get<std::string>()[0], 'b') << answer;
  }
  // Every wait has polled once and none polls now: the UI may change.
  ASSERT_TRUE(
      eventually([&] { return h.uia.sessions_opened() == 16 && h.uia.sessions_open() == 0; }));
  status.name = "Ready";
  gate.release();

  ASSERT_TRUE(h.output.wait_for_lines(56));
  std::set<std::string> found, timed_out;
  for (const std::string& answer : h.output.lines()) {
    Json response = Json::parse(answer);
    std::string id = response["id"];
    if (id[0] != 'w') continue;
    (response["result"]["found"] == true ? found : timed_out).insert(id);
    if (std::stoi(id.substr(1)) >= 8) {
      EXPECT_EQ(response["result"]["timedOut"], true) << answer;
    }
  }
  EXPECT_EQ(found, (std::set<std::string>{"w0", "w1", "w2", "w3", "w4", "w5", "w6", "w7"}));
  EXPECT_EQ(timed_out.size(), 8u);
}

// Beyond the bound a wait is refused at once; the waits already pending go on.
TEST(PendingWaits, BeyondTheBoundAreRefused) {
  SleepGate gate;
  fakes::FakeDesktop desk;
  desk.clock.on_sleep = [&] { gate.hold(); };
  Dispatcher dispatcher(desk.context());
  struct ThreePolls final : PolledCommand {
    int polls = 0;
    PollStep poll(CommandContext&) override {
      return ++polls < 3 ? PollStep::again(100) : PollStep::done(Json(polls));
    }
  };
  dispatcher.add_polled("wait", [](const Json&, CommandContext&) -> PolledStart {
    return std::unique_ptr<PolledCommand>(std::make_unique<ThreePolls>());
  });
  std::mutex mutex;
  std::vector<Response> answers;
  Scheduler scheduler(1, desk.clock, /*max_pending=*/2);
  for (const char* id : {"a", "b", "c"}) {
    dispatcher.dispatch(Request{kProtocolVersion, id, "wait", Json::object()}, {}, scheduler,
                        [&](Response response) {
                          std::lock_guard<std::mutex> hold(mutex);
                          answers.push_back(std::move(response));
                        });
  }
  {
    std::lock_guard<std::mutex> hold(mutex);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].id, "c");
    EXPECT_EQ(std::get<HelperError>(answers[0].body),
              invalid_request("Too many waits pending: at most 2 run at once. Retry once one has "
                              "answered, or cancel one."));
  }
  gate.release();
  scheduler.close_and_join();  // returns once both pending waits have answered
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(std::get<Json>(answers[1].body), Json(3));
  EXPECT_EQ(std::get<Json>(answers[2].body), Json(3));
}

// Polls take at most half the workers: with every timed job blocked, two of
// four workers run them and a plain request still runs at once.
TEST(PendingWaits, PollsTakeAtMostHalfTheWorkers) {
  std::mutex mutex;
  std::condition_variable changed;
  int running = 0, most = 0;
  bool release = false, plain_ran = false;
  Scheduler scheduler(4, system_clock());
  for (int i = 0; i < 6; ++i) {
    scheduler.submit_after(0, [&] {
      std::unique_lock<std::mutex> hold(mutex);
      most = std::max(most, ++running);
      changed.notify_all();
      changed.wait(hold, [&] { return release; });
      --running;
    });
  }
  std::unique_lock<std::mutex> hold(mutex);
  ASSERT_TRUE(changed.wait_for(hold, std::chrono::seconds(30), [&] { return running == 2; }));
  hold.unlock();
  scheduler.submit([&] {
    std::lock_guard<std::mutex> inner(mutex);
    plain_ran = true;
    changed.notify_all();
  });
  hold.lock();
  EXPECT_TRUE(changed.wait_for(hold, std::chrono::seconds(30), [&] { return plain_ran; }));
  release = true;
  changed.notify_all();
  hold.unlock();
  scheduler.close_and_join();
  EXPECT_EQ(most, 2);
}

}  // namespace
}  // namespace winhelper
