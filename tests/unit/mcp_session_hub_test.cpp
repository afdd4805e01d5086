// The session hub on the fake desktop, driven directly as the HTTP front
// drives it: sessions that clients abandon make room, busy ones stay.

#include "mcp/session_hub.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/sleep_gate.h"
#include "fuzz/fuzz_platform.h"

namespace winhelper::mcp {
namespace {

std::string request(const Json& id, const std::string& method, const Json& params = nullptr) {
  Json message = {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}};
  if (!params.is_null()) message["params"] = params;
  return message.dump();
}

const std::string kInitialize = request(0, "initialize", {{"protocolVersion", "2025-11-25"}});

std::string wait_call(int id) {
  return request(
      id, "tools/call",
      {{"name", "wait_for"},
       {"arguments", {{"windowId", 65552}, {"text", "never there"}, {"timeoutMs", 60000}}}});
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(McpSessionHub, AbandonedSessionsMakeRoomAndSessionsAtWorkStay) {
  fuzz::FuzzPlatform desk;
  fakes::SleepGate gate;  // holds the waits' polls until released
  desk.clock().on_sleep = [&] { gate.hold(); };
  std::mutex log_mutex;
  std::string log;
  HubOptions options;
  options.log = [&](const std::string& line) {
    std::lock_guard<std::mutex> hold(log_mutex);
    log += line + "\n";
  };
  SessionHub hub(desk.dispatcher(), desk.shared(), desk.clock(), options);
  auto open = [&](const std::string& peer) {
    HubReply reply = hub.post(std::nullopt, std::nullopt, kInitialize, peer);
    EXPECT_EQ(reply.status, 200) << reply.body;
    return reply.session_id.value_or("");
  };
  std::vector<std::string> waiting;
  std::vector<HubReply> waited(kMaxSessions);
  std::vector<std::thread> waits;
  auto start_wait = [&](std::size_t at, const std::string& session) {
    waits.emplace_back([&, at, session] {
      waited[at] = hub.post(session, std::nullopt, wait_call(100 + static_cast<int>(at)));
    });
    for (int t = 0; t < 1000 && hub.pending_waits() <= at; ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(hub.pending_waits(), at + 1);
  };
  waiting.push_back(open("10.0.0.1:5000"));
  start_wait(0, waiting[0]);

  // A hundred clients that start, call once and leave without a DELETE.
  std::vector<std::string> abandoned;
  for (int i = 0; i < 100; ++i) {
    abandoned.push_back(open("10.0.1." + std::to_string(i) + ":4000"));
    ASSERT_EQ(hub.post(abandoned.back(), std::nullopt, request(1, "ping")).status, 200) << i;
  }
  EXPECT_EQ(hub.size(), kMaxSessions);
  EXPECT_EQ(count(log, "ended the least recently used session"), 100 + 1 - kMaxSessions) << log;
  EXPECT_NE(log.find("last used from 10.0.1.0:4000 0 s ago"), std::string::npos) << log;
  EXPECT_EQ(log.find("10.0.0.1:5000"), std::string::npos) << log;  // its wait keeps it
  // An evicted client is told its session is gone, with its request's id.
  HubReply gone = hub.post(abandoned[0], std::nullopt, request("late", "ping"));
  EXPECT_EQ(gone.status, 404);
  EXPECT_EQ(Json::parse(gone.body)["id"], "late");
  EXPECT_EQ(hub.post(abandoned[99], std::nullopt, request(2, "ping")).status, 200);

  // Every session at work: no place can be made, and the client hears when to retry.
  for (std::size_t at = 1; at < kMaxSessions; ++at) {
    waiting.push_back(abandoned[100 - at]);
    start_wait(at, waiting.back());
  }
  HubReply busy = hub.post(std::nullopt, std::nullopt,
                           request("new", "initialize", {{"protocolVersion", "2025-11-25"}}));
  EXPECT_EQ(busy.status, 503);
  EXPECT_EQ(busy.retry_after_seconds, kSessionsBusyRetrySeconds);
  EXPECT_EQ(Json::parse(busy.body)["id"], "new");
  EXPECT_EQ(hub.size(), kMaxSessions);

  gate.release();
  for (auto& wait : waits) wait.join();
  for (std::size_t at = 0; at < kMaxSessions; ++at) {
    ASSERT_EQ(waited[at].status, 200) << at;
    Json answer = Json::parse(waited[at].body);
    EXPECT_EQ(answer["id"], 100 + static_cast<int>(at));
    EXPECT_EQ(answer["result"]["structuredContent"]["timedOut"], true) << answer.dump();
  }
  // Their waits answered, the sessions are idle again and make room.
  EXPECT_FALSE(open("10.0.2.1:4000").empty());
  EXPECT_EQ(hub.size(), kMaxSessions);
}

}  // namespace
}  // namespace winhelper::mcp
