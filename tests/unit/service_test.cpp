#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::ServiceHarness;

std::string req(const std::string& id, const std::string& cmd, const std::string& args = "{}") {
  return R"({"protocolVersion":4,"id":")" + id + R"(","cmd":")" + cmd + R"(","args":)" + args + "}";
}

// A gate that test commands block on until the test opens it.
struct Gate {
  std::mutex m;
  std::condition_variable cv;
  int open = 0;
  std::atomic<int> entered{0};
  void pass() {
    entered++;
    std::unique_lock<std::mutex> hold(m);
    cv.wait(hold, [&] { return open > 0; });
    --open;
  }
  void release(int n = 1) {
    {
      std::lock_guard<std::mutex> hold(m);
      open += n;
    }
    cv.notify_all();
  }
  bool wait_entered(int n) {
    for (int i = 0; i < 1000 && entered.load() < n; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return entered.load() >= n;
  }
};

const char* kDiagnostics =
    R"({"accessibility":true,"arch":"x86_64","architectureVersion":1,"desktop":{"inputDesktop":true,"interactive":true,"sessionId":null,"warning":null},"invariants":["state-scoped-observations","bounded-observation-history","multi-root-forest","progressive-disclosure","atomic-physical-input","concurrent-requests","transactional-batching"],"os":"windows","pid":4242,"protocolVersion":4,"screenRecording":true})";

TEST(Service, TranscriptOfProtocolLevelAnswers) {
  ServiceHarness h;
  h.input.feed("\n   \t\r\n");
  h.input.feed(req("d1", "diagnostics", "null") + "\r\n");
  h.send(R"({"protocolVersion":3,"id":"v","cmd":"nonsense","args":{}})");
  h.send(req("c", "Diagnostics"));
  h.send("hello");
  h.send(R"([4,"arr","diagnostics",{}])");
  h.finish();
  std::string raw = h.output.raw();
  EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 5);
  EXPECT_EQ(raw.find('\r'), std::string::npos);
  auto lines = h.output.lines();
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> expected = {
      R"({"protocolVersion":4,"id":"arr","ok":true,"result":)" + std::string(kDiagnostics) + "}",
      R"({"protocolVersion":4,"id":"c","ok":false,"error":{"message":"Unknown command 'Diagnostics'","code":"unsupported_command"}})",
      R"({"protocolVersion":4,"id":"d1","ok":true,"result":)" + std::string(kDiagnostics) + "}",
      R"({"protocolVersion":4,"id":"unknown","ok":false,"error":{"message":"Invalid request: expected value at line 1 column 1","code":"invalid_request"}})",
      R"({"protocolVersion":4,"id":"v","ok":false,"error":{"message":"Unsupported Windows helper protocol 3; expected 4. Restart Orvel to use the installed helper.","code":"invalid_request"}})",
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
}

TEST(Service, NinthSlowRequestWaitsForAFreeWorker) {
  Gate gate;
  ServiceHarness h([&](Dispatcher& d) {
    d.add("slow", [&](const Json&, CommandContext&) -> Result<Json> {
      gate.pass();
      return Json("slept");
    });
  });
  for (int i = 1; i <= 9; ++i) h.send(req("s" + std::to_string(i), "slow"));
  ASSERT_TRUE(gate.wait_entered(8));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(gate.entered.load(), 8);  // all eight workers busy; the ninth waits

  EXPECT_TRUE(h.output.lines().empty());
  gate.release(1);
  ASSERT_TRUE(gate.wait_entered(9));
  ASSERT_TRUE(h.output.wait_for_lines(1));
  gate.release(100);
  h.finish();
  EXPECT_EQ(h.output.lines().size(), 9u);
}

TEST(Service, SlowRequestDoesNotDelayQuickOneSentAfterIt) {
  Gate gate;
  ServiceHarness h([&](Dispatcher& d) {
    d.add("slow", [&](const Json&, CommandContext&) -> Result<Json> {
      gate.pass();
      return Json(1);
    });
  });
  h.send(req("slow", "slow"));
  ASSERT_TRUE(gate.wait_entered(1));
  h.send(req("quick", "diagnostics"));
  ASSERT_TRUE(h.output.wait_for_lines(1));
  EXPECT_NE(h.output.lines()[0].find("\"id\":\"quick\""), std::string::npos);
  gate.release();
  h.finish();
  EXPECT_EQ(h.output.lines().size(), 2u);
}

TEST(Service, EscapedExceptionIsAnsweredAndPoisonsTheStateLock) {
  ServiceHarness h([](Dispatcher& d) {
    d.add("boom", [](const Json&, CommandContext& ctx) -> Result<Json> {
      auto state = ctx.shared.state.lock();
      if (!state) return state.take_error();
      throw std::runtime_error("kaboom");
    });
    d.add("peek", [](const Json&, CommandContext& ctx) -> Result<Json> {
      auto state = ctx.shared.state.lock();
      if (!state) return state.take_error();
      return Json("fine");
    });
  });
  h.send(req("p0", "peek"));
  ASSERT_TRUE(h.output.wait_for_lines(1));
  h.send(req("b", "boom"));
  ASSERT_TRUE(h.output.wait_for_lines(2));
  h.send(req("p1", "peek"));
  h.send(req("p2", "peek"));
  h.finish();
  auto lines = h.output.lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], R"({"protocolVersion":4,"id":"p0","ok":true,"result":"fine"})");
  EXPECT_EQ(lines[1], R"({"protocolVersion":4,"id":"b","ok":false,"error":{"message":"command 'boom' failed unexpectedly: kaboom","code":"internal_error"}})");
  for (int i = 2; i < 4; ++i) {
    EXPECT_NE(lines[i].find(R"("ok":false,"error":{"message":"helper state lock poisoned","code":"internal_error"})"),
              std::string::npos);
  }
}

TEST(Service, EndOfInputAnswersEverythingAlreadyRead) {
  Gate gate;
  ServiceHarness h([&](Dispatcher& d) {
    d.add("slow", [&](const Json&, CommandContext&) -> Result<Json> {
      gate.pass();
      return Json(true);
    });
  });
  for (int i = 0; i < 20; ++i) h.send(req("r" + std::to_string(i), i % 2 ? "slow" : "diagnostics"));
  h.input.close();
  gate.release(10);
  h.finish();
  EXPECT_EQ(h.output.lines().size(), 20u);
}

TEST(Service, InvalidUtf8IsAnsweredOnceAndWhatWasReadIsDrained) {
  Gate gate;
  ServiceHarness h([&](Dispatcher& d) {
    d.add("slow", [&](const Json&, CommandContext&) -> Result<Json> {
      gate.pass();
      return Json(true);
    });
  });
  h.send(req("a", "slow"));
  h.send(req("b", "diagnostics"));
  h.input.feed("{\"id\":\"\xFF\"}\n");
  h.send(req("never", "diagnostics"));
  ASSERT_TRUE(h.output.wait_for_lines(2));
  gate.release();
  h.finish();
  auto lines = h.output.lines();
  ASSERT_EQ(lines.size(), 3u);
  int read_errors = 0;
  for (auto& l : lines) {
    EXPECT_EQ(l.find("\"id\":\"never\""), std::string::npos);
    if (l == R"({"protocolVersion":4,"id":"unknown","ok":false,"error":{"message":"Failed to read input line: stream did not contain valid UTF-8","code":"internal_error"}})") {
      ++read_errors;
    }
  }
  EXPECT_EQ(read_errors, 1);
}

TEST(Service, BrokenOutputDoesNotStopReading) {
  std::atomic<int> ran{0};
  ServiceHarness h([&](Dispatcher& d) {
    d.add("count", [&](const Json&, CommandContext&) -> Result<Json> {
      ++ran;
      return Json(0);
    });
  });
  h.output.set_broken(true);
  for (int i = 0; i < 50; ++i) h.send(req(std::to_string(i), "count"));
  h.finish();
  EXPECT_EQ(ran.load(), 50);
  EXPECT_TRUE(h.output.lines().empty());
}

TEST(PhysicalInputLock, ReentrantOnOneThreadAndPoisonedByUnwinding) {
  PhysicalInputLock lock;
  {
    auto outer = lock.acquire();
    ASSERT_TRUE(outer.ok());
    EXPECT_TRUE(PhysicalInputLock::held_by_this_thread());
    {
      auto inner = lock.acquire();
      ASSERT_TRUE(inner.ok());
    }
    EXPECT_TRUE(PhysicalInputLock::held_by_this_thread());
  }
  EXPECT_FALSE(PhysicalInputLock::held_by_this_thread());
  try {
    auto hold = lock.acquire();
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  auto after = lock.acquire();
  ASSERT_FALSE(after.ok());
  EXPECT_EQ(after.error().message, "physical input lock poisoned");
}

}  // namespace
}  // namespace winhelper
