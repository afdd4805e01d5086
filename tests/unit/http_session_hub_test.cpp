// The session hub on the fake desktop, driven as the HTTP front drives it:
// abandoned sessions make room while sessions at work stay, error answers
// carry their ids, and faults of the server stay in its log.

#include "http/session_hub.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "fakes/sleep_gate.h"
#include "mcp/tools.h"
#include "mcp_harness.h"

namespace winhelper::mcp {
namespace {

std::string rpc(const Json& id, const std::string& method, const Json& params = nullptr,
                const char* version = "2.0") {
  Json message = {{"jsonrpc", version}, {"id", id}, {"method", method}};
  if (!params.is_null()) message["params"] = params;
  return message.dump();
}

const std::string kInitialize = rpc(0, "initialize", {{"protocolVersion", "2025-11-25"}});
const Json kListWindows = {{"name", "list_windows"}, {"arguments", Json::object()}};
constexpr const char* kSecret = "C:\\Users\\someone\\secret";

// The dispatcher's check of the desktop, run before any command, throws.
struct BrokenProbe : DesktopProbe {
  DesktopFacts read() override { throw std::runtime_error(kSecret); }
};

struct Hub {
  Hub(fuzz::FuzzPlatform& scene, Dispatcher& dispatcher, std::size_t max_sessions = kMaxSessions)
      : hub(dispatcher, scene.shared(), scene.clock(),
            {max_sessions, kSessionIdleMs, {}, {}, [this](const std::string& line) {
               std::lock_guard<std::mutex> hold(mutex);
               log += line + "\n";
             }}) {}
  std::string open(std::string_view peer = {}) {
    HubReply reply = hub.post({}, kInitialize, {peer});
    EXPECT_EQ(reply.status, 200) << reply.body;
    return reply.session_id.value_or("");
  }
  std::size_t logged(std::string_view part) {
    std::lock_guard<std::mutex> hold(mutex);
    std::size_t n = 0;
    for (auto at = log.find(part); at != std::string::npos; at = log.find(part, at + 1)) ++n;
    return n;
  }

  std::mutex mutex;
  std::string log;
  SessionHub hub;
};

TEST(McpSessionHub, AbandonedSessionsMakeRoomAndSessionsAtWorkStay) {
  fuzz::FuzzPlatform scene;
  Hub h(scene, scene.dispatcher());
  fakes::SleepGate gate;  // holds the waits' polls until released
  scene.clock().on_sleep = [&] { gate.hold(); };
  std::vector<HubReply> waited(kMaxSessions);
  std::vector<std::thread> waits;
  auto start_wait = [&](std::size_t at, const std::string& session) {
    Json arguments = {{"windowId", 65552}, {"text", "never there"}, {"timeoutMs", 60000}};
    std::string call =
        rpc(100 + at, "tools/call", {{"name", "wait_for"}, {"arguments", arguments}});
    waits.emplace_back([&, at, session, call] { waited[at] = h.hub.post({session}, call); });
    for (int t = 0; t < 1000 && h.hub.pending_waits() <= at; ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  };
  start_wait(0, h.open("10.0.0.1:5000"));
  // A hundred clients that start, call once and leave without a DELETE.
  std::vector<std::string> abandoned;
  for (int i = 0; i < 100; ++i) {
    abandoned.push_back(h.open("10.0.1." + std::to_string(i) + ":4000"));
    ASSERT_EQ(h.hub.post({abandoned.back()}, rpc(1, "ping")).status, 200) << i;
  }
  EXPECT_EQ(h.logged("ended the least recently used session"), 100 + 1 - kMaxSessions) << h.log;
  EXPECT_EQ(h.logged("last used from 10.0.1.0:4000 0 s ago"), 1u) << h.log;
  EXPECT_EQ(h.logged("10.0.0.1:5000"), 0u);  // its wait keeps it
  HubReply gone = h.hub.post({abandoned[0]}, rpc("late", "ping"));
  EXPECT_EQ(gone.status, 404);
  EXPECT_EQ(Json::parse(gone.body)["id"], "late");

  // Every session at work: no place can be made, and the client hears when to retry.
  for (std::size_t at = 1; at < kMaxSessions; ++at) start_wait(at, abandoned[100 - at]);
  ASSERT_EQ(h.hub.pending_waits(), kMaxSessions);
  HubReply busy = h.hub.post({}, rpc("new", "initialize", {{"protocolVersion", "2025-11-25"}}));
  EXPECT_EQ(busy.status, 503);
  EXPECT_EQ(busy.retry_after_seconds, kSessionsBusyRetrySeconds);
  EXPECT_EQ(Json::parse(busy.body)["id"], "new");
  gate.release();
  for (auto& wait : waits) wait.join();
  for (std::size_t at = 0; at < kMaxSessions; ++at) {
    Json answer = Json::parse(waited[at].body);
    EXPECT_EQ(answer["id"], 100 + at);
    EXPECT_EQ(answer["result"]["structuredContent"]["timedOut"], true) << answer.dump();
  }
  EXPECT_FALSE(h.open().empty());  // idle again, they make room
}

TEST(McpSessionHub, ErrorsCarryTheirIdAndFaultsStayInTheLog) {
  fuzz::FuzzPlatform scene;
  Dispatcher dispatcher(scene.desk().context());
  dispatcher.add(
      find_tool("list_windows")->command,
      [](const Json&, CommandContext&) -> Result<Json> { throw std::runtime_error(kSecret); });
  Hub h(scene, dispatcher, 1);
  std::string session = h.open();
  struct Case {
    std::optional<std::string> session, version;
    std::string body;
    int status;
  };
  BrokenProbe probe;
  const Case cases[] = {
      {std::nullopt, std::nullopt, rpc(11, "ping"), 400},
      {session, "1999-01-01", rpc(12, "ping"), 400},
      {std::string(32, '0'), std::nullopt, rpc(13, "ping"), 404},
      {session, std::nullopt, rpc(14, "ping", nullptr, "1.0"), 400},
      {session, std::nullopt, rpc(15, "tools/call", kListWindows), 200},  // the command throws
      {session, std::nullopt, rpc(15, "tools/call", kListWindows), 500},  // the dispatcher throws
      {session, std::nullopt, rpc(15, "tools/call", kListWindows), 200},  // its id free again
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    scene.desk().platform.desktop = c.status == 500 ? &probe : nullptr;
    HubReply reply = h.hub.post({c.session, c.version}, c.body);
    EXPECT_EQ(reply.status, c.status) << i;
    EXPECT_EQ(Json::parse(reply.body)["id"], Json::parse(c.body)["id"]) << i;
    EXPECT_EQ(reply.body.find("secret"), std::string::npos) << i << ": " << reply.body;
  }
  EXPECT_EQ(h.logged("secret"), 3u) << h.log;
  // No fault left the session busy: a new client may take its place.
  h.open();
  EXPECT_EQ(h.hub.post({session}, rpc(16, "ping")).status, 404);
}

TEST(McpSessionHub, StdioCallWhoseDispatchThrowsIsAnsweredWithItsId) {
  BrokenProbe probe;
  McpHarness h({}, [&](fuzz::FuzzPlatform& desk) { desk.desk().platform.desktop = &probe; });
  h.initialize();
  EXPECT_EQ(h.request("boom", "tools/call", kListWindows)["error"]["code"], kInternalError);
  // The server still reads and answers, and the id is free again.
  EXPECT_EQ(h.request("boom", "tools/call", kListWindows)["id"], "boom");
}

// A request of the stateless era, as an HTTP client sends it: its version,
// method and tool name mirrored in headers (which view this object).
struct Stateless {
  std::string method;
  Json params = Json::object();
  std::string version = "2026-07-28";
  PostHeaders headers() const {
    PostHeaders h{std::nullopt, version, method, std::nullopt};
    if (params.contains("name")) h.name = params["name"].get_ref<const std::string&>();
    return h;
  }
  std::string body(const Json& id) const {
    Json p = params;
    p["_meta"] = {{"io.modelcontextprotocol/protocolVersion", version},
                  {"io.modelcontextprotocol/clientCapabilities", Json::object()}};
    return rpc(id, method, p);
  }
};

TEST(McpSessionHub, StatelessRequestsAreCheckedTakeNoPlaceAndShareTheirLooks) {
  fuzz::FuzzPlatform scene;
  Hub h(scene, scene.dispatcher(), 1);
  h.open("10.0.0.1:5000");  // the only place, taken
  const Json look = {{"name", "look"}, {"arguments", {{"windowId", 65552}}}};
  auto post = [&](const PostHeaders& headers, const std::string& body) {
    HubReply reply = h.hub.post(headers, body);
    return std::pair{reply.status, Json::parse(reply.body)};
  };
  // The header and version rules are the conformance suites' (both eras, in
  // scripts/test); what they do not send is a Base64 name, bad or good.
  Stateless call{"tools/call", look};
  auto with = [](PostHeaders headers, auto change) {
    change(headers);
    return headers;
  };
  auto [status, error] =
      post(with(call.headers(), [](auto& x) { x.name = "=?base64?bG9vaw?="; }), call.body(8));
  EXPECT_EQ(status, 400) << error;
  EXPECT_EQ(error["error"]["code"], kHeaderMismatch) << error;
  EXPECT_EQ(error["id"], 8);
  EXPECT_TRUE(scene.desk().input_sink.events().empty());

  // A name may come Base64-encoded; a look made by one request is known to
  // the next, and none took the session's place.
  auto first = post(with(call.headers(), [](auto& x) { x.name = "=?base64?bG9vaw==?="; }),
                    call.body(20));
  ASSERT_EQ(first.first, 200) << first.second;
  EXPECT_EQ(first.second["result"]["resultType"], "complete");
  Json look_id = first.second["result"]["structuredContent"]["lookId"];
  Stateless since = call;
  since.params["arguments"]["sinceLookId"] = look_id;
  auto second = post(since.headers(), since.body(20));  // the same id from another caller
  ASSERT_EQ(second.first, 200) << second.second;
  EXPECT_FALSE(second.second["result"].value("isError", false)) << second.second;
  EXPECT_EQ(h.hub.size(), 1u);

  // A caller gone before its wait ended withdraws it: no answer is given.
  fakes::SleepGate gate;
  scene.clock().on_sleep = [&] { gate.hold(); };
  Stateless wait{"tools/call",
                 {{"name", "wait_for"},
                  {"arguments", {{"windowId", 65552}, {"text", "never"}, {"timeoutMs", 60000}}}}};
  std::atomic<bool> gone{false};
  HubReply withdrawn;
  std::thread waiter([&] {
    withdrawn = h.hub.post(wait.headers(), wait.body(30), {{}, [&] { return gone.load(); }});
  });
  for (int t = 0; t < 1000 && h.hub.pending_waits() == 0; ++t) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  gone = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  gate.release();
  waiter.join();
  EXPECT_EQ(withdrawn.status, 202) << withdrawn.body;
}

}  // namespace
}  // namespace winhelper::mcp
