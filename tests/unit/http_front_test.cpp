// The MCP server over HTTP on the fake desktop, through real sockets.

#include <gtest/gtest.h>

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "fuzz/fuzz_platform.h"
#include "fuzz/loopback.h"
#include "http/http_front.h"
#include "http/peer_slots.h"
#include "fakes/sleep_gate.h"

namespace winhelper::mcp {
namespace {

constexpr const char* kToken = "tok-0123456789";

class HttpHarness {
 public:
  explicit HttpHarness(HubOptions hub = {}, HttpDeadlines deadlines = {}) {
    HttpOptions options;
    options.deadlines = deadlines;
    options.security.listen = {"127.0.0.1", 0};
    options.security.token = kToken;
    options.hub = std::move(hub);
    options.log = [this](const std::string& line) {
      std::lock_guard<std::mutex> hold(mutex_);
      log_ += line + "\n";
    };
    front = std::make_unique<HttpFront>(desk.dispatcher(), desk.shared(), desk.clock(), options);
    port = front->bind().value();
    thread_ = std::thread([this] { front->serve(); });
    for (int i = 0; i < 500 && !client().Get("/health"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~HttpHarness() {
    front->stop();
    thread_.join();
  }

  httplib::Client client(bool with_token = true) const {
    httplib::Client c("127.0.0.1", port);
    if (with_token) c.set_bearer_token_auth(kToken);
    c.set_read_timeout(30, 0);
    return c;
  }
  httplib::Result post(const Json& body, const std::string& session = "") const {
    httplib::Headers headers;
    if (!session.empty()) headers.emplace("Mcp-Session-Id", session);
    return client().Post("/mcp", headers, body.dump(), "application/json");
  }
  std::string initialize() const {
    auto r = post({{"jsonrpc", "2.0"},
                   {"id", 0},
                   {"method", "initialize"},
                   {"params", {{"protocolVersion", "2025-06-18"}}}});
    EXPECT_EQ(r->status, 200);
    return r->get_header_value("Mcp-Session-Id");
  }
  Json call(const std::string& session, const std::string& tool, const Json& arguments,
            const Json& id = 1) const {
    auto r = post({{"jsonrpc", "2.0"},
                   {"id", id},
                   {"method", "tools/call"},
                   {"params", {{"name", tool}, {"arguments", arguments}}}},
                  session);
    if (!r || r->status != 200) return nullptr;
    return Json::parse(r->body)["result"];
  }
  // No command touched the desktop: no input event, no look kept anywhere.
  bool nothing_ran() {
    auto state = desk.shared().state.lock();
    std::size_t looks = (*state)->looks.size();
    for (const auto& [key, store] : (*state)->session_looks) looks += store.size();
    return looks == 0 && desk.desk().input_sink.events().empty();
  }
  std::string log() {
    std::lock_guard<std::mutex> hold(mutex_);
    return log_;
  }

  fuzz::FuzzPlatform desk;
  std::unique_ptr<HttpFront> front;
  int port = 0;

 private:
  std::thread thread_;
  std::mutex mutex_;
  std::string log_;
};

const Json kLook = {{"jsonrpc", "2.0"},
                    {"id", 7},
                    {"method", "tools/call"},
                    {"params", {{"name", "look"}, {"arguments", {{"windowId", 65552}}}}}};

TEST(McpHttp, RefusedRequestsRunNothing) {
  HttpHarness h;
  std::string session = h.initialize();
  ASSERT_EQ(session.size(), 32u);
  std::string body = kLook.dump();
  auto raw = [&](httplib::Headers headers, const std::string& method = "POST",
                 const std::string& payload = "", bool token = true) {
    headers.emplace("Mcp-Session-Id", session);
    httplib::Request request;
    request.method = method;
    request.path = "/mcp";
    request.headers = std::move(headers);
    request.body = payload.empty() ? body : payload;
    if (!request.body.empty()) request.set_header("Content-Type", "application/json");
    auto r = h.client(token).send(request);
    return r ? r->status : -1;
  };
  EXPECT_EQ(raw({}, "POST", "", false), 401);
  EXPECT_EQ(h.client(false).Post("/mcp", {{"Authorization", "Bearer tok-0123456788"}}, body,
                                 "application/json")->status, 401);
  auto unauthorized = h.client(false).Post("/mcp", {{"Authorization", "Bearer tok"}}, body,
                                           "application/json");
  EXPECT_EQ(unauthorized->status, 401);
  EXPECT_EQ(unauthorized->get_header_value("WWW-Authenticate"), "Bearer");
  EXPECT_EQ(raw({{"Host", "evil.example:" + std::to_string(h.port)}}), 403);
  EXPECT_EQ(raw({{"Origin", "http://evil.example"}}), 403);
  // Refused on the declared length, before the body is read: the headers alone are answered.
  std::string declared = "POST /mcp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(h.port) +
                         "\r\nAuthorization: Bearer " + kToken + "\r\nMcp-Session-Id: " +
                         session + "\r\nContent-Length: " +
                         std::to_string(kMaxBodyBytes + 1) + "\r\n\r\n";
  EXPECT_EQ(fuzz::loopback_exchange(h.port, declared, false).substr(0, 12), "HTTP/1.1 413");
  EXPECT_EQ(raw({}, "POST", "{\"jsonrpc\":"), 400);
  EXPECT_EQ(raw({}, "POST", "[" + body + "]"), 400);
  EXPECT_EQ(raw({{"MCP-Protocol-Version", "1999-01-01"}}), 400);
  EXPECT_EQ(raw({}, "PUT"), 405);
  EXPECT_EQ(raw({}, "PATCH"), 405);
  EXPECT_EQ(raw({{"X-Long", std::string(9000, 'x')}}), 400);
  EXPECT_EQ(h.client().Get("/mcp")->status, 405);
  EXPECT_EQ(h.post(kLook)->status, 400);  // no session id
  EXPECT_EQ(h.post(kLook, "0123456789abcdef0123456789abcdef")->status, 404);
  EXPECT_EQ(h.client().Delete("/mcp", httplib::Headers{{"Mcp-Session-Id", session}})->status, 200);
  EXPECT_EQ(h.post(kLook, session)->status, 404);
  EXPECT_TRUE(h.nothing_ran());

  std::string log = h.log();
  EXPECT_NE(log.find("refused POST /mcp from 127.0.0.1:"), std::string::npos) << log;
  EXPECT_NE(log.find("Origin not allowed"), std::string::npos) << log;
  EXPECT_NE(log.find("Session not found"), std::string::npos) << log;
  EXPECT_EQ(log.find(kToken), std::string::npos);

  auto health = h.client(false).Get("/health");
  EXPECT_EQ(health->status, 200);
  EXPECT_EQ(health->body, R"({"status":"ok"})");
}

TEST(McpHttp, SessionsAreBoundedAndExpire) {
  HttpHarness h({3, 60'000, {}});
  std::vector<std::string> sessions;
  for (int i = 0; i < 3; ++i) sessions.push_back(h.initialize());
  // Notifications are accepted without an answer.
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"method", "notifications/initialized"}}, sessions[0])
                ->status,
            202);
  // A fourth client takes the place of the least recently used.
  sessions.push_back(h.initialize());
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "ping"}}, sessions[1])->status, 404);
  h.desk.clock().advance(60'001);
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "ping"}}, sessions[0])->status, 200);
  h.desk.clock().advance(1);
  EXPECT_EQ(h.front->hub().expire_idle(), 2u);  // the pinged one stays
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "ping"}}, sessions[2])->status, 404);
  EXPECT_FALSE(h.initialize().empty());
}

TEST(McpHttp, EachSessionHasItsOwnLooksAndEndingOneFreesThem) {
  HttpHarness h;
  std::string a = h.initialize();
  std::string b = h.initialize();
  ASSERT_NE(a, b);
  Json look = h.call(a, "look", {{"windowId", 65552}});
  std::string look_id = look["structuredContent"]["lookId"];
  Json read = {{"lookId", look_id}, {"elementRef", "@e1"}};
  auto text = [](const Json& result) { return result["content"][0]["text"].get<std::string>(); };
  EXPECT_TRUE(text(h.call(b, "read_text", read)).starts_with("stale_look")) << look.dump();
  EXPECT_FALSE(text(h.call(a, "read_text", read)).starts_with("stale_look"));
  EXPECT_EQ(h.client().Delete("/mcp", httplib::Headers{{"Mcp-Session-Id", a}})->status, 200);
  EXPECT_TRUE(h.nothing_ran());  // a's looks went with it
}

TEST(McpHttp, ConcurrentSessionsEachGetEveryAnswerOnce) {
  HttpHarness h;
  constexpr int kSessions = 4;
  constexpr int kCalls = 50;
  std::vector<std::thread> clients;
  std::vector<int> answered(kSessions, 0);
  std::vector<std::set<std::string>> own_looks(kSessions);
  for (int s = 0; s < kSessions; ++s) {
    clients.emplace_back([&, s] {
      std::string session = h.initialize();
      for (int i = 0; i < kCalls; ++i) {
        static const char* kTools[] = {"list_windows", "look", "diagnostics"};
        const char* tool = kTools[i % 3];
        Json args = tool == std::string("look") ? Json{{"windowId", 65552}} : Json::object();
        Json result = h.call(session, tool, args, i);
        if (result.is_null()) continue;
        ++answered[s];
        if (tool == std::string("look")) own_looks[s].insert(result["structuredContent"]["lookId"]);
      }
    });
  }
  for (auto& c : clients) c.join();
  for (int s = 0; s < kSessions; ++s) EXPECT_EQ(answered[s], kCalls) << s;
  for (int s = 1; s < kSessions; ++s) {
    for (const std::string& id : own_looks[s]) EXPECT_FALSE(own_looks[0].contains(id)) << id;
  }
}

// A raw client connection, to send a request at the pace a test chooses.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() { ::close(fd_); }

  bool send(std::string_view bytes) {
    return connected_ && ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                             static_cast<ssize_t>(bytes.size());
  }
  // Whether the server closed the connection within `ms`.
  bool closed_within(int ms) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return false;
    char c;
    return ::recv(fd_, &c, 1, MSG_PEEK) <= 0;
  }
  // One response's status line, read up to the end of its body.
  std::string response() {
    std::string got;
    char buffer[4096];
    for (;;) {
      std::size_t end = got.find("\r\n\r\n");
      if (end != std::string::npos) {
        std::size_t at = got.find("Content-Length: ");
        std::size_t length = at == std::string::npos ? 0 : std::stoul(got.substr(at + 16));
        if (got.size() >= end + 4 + length) return got.substr(0, got.find("\r\n"));
      }
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10'000) <= 0) return "";
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return "";
      got.append(buffer, static_cast<std::size_t>(n));
    }
  }

 private:
  int fd_;
  bool connected_ = false;
};

constexpr HttpDeadlines kShortDeadlines{std::chrono::seconds(1), std::chrono::seconds(1),
                                        std::chrono::seconds(5)};

std::string initialize_request(int port, const std::string& body) {
  return "POST /mcp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nAuthorization: Bearer " + kToken +
         "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

const std::string kInitialize =
    R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"protocolVersion":"2025-06-18"}})";

TEST(McpHttp, TricklingClientsAreCutOffAndRunNothing) {
  struct Case {
    const char* name;
    bool header_at_once;  // the header sent whole, then the body trickled
    const char* logged;
  };
  const Case cases[] = {
      {"header", false, "request header not complete within 1 s"},
      {"body", true, "request body or response not transferred within 1 s"},
  };
  for (const Case& c : cases) {
    HttpHarness h({}, kShortDeadlines);
    std::string request = initialize_request(h.port, kInitialize);
    std::size_t head = !c.header_at_once ? 0 : request.find("\r\n\r\n") + 4;
    RawConnection connection(h.port);
    ASSERT_TRUE(connection.send(request.substr(0, head))) << c.name;
    auto start = std::chrono::steady_clock::now();
    bool closed = false;
    // A byte every 200 ms: each read is quick, the request never completes.
    for (std::size_t i = head; i < request.size() && !closed; ++i) {
      if (!connection.send(request.substr(i, 1))) break;
      closed = connection.closed_within(200);
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(25)) break;
    }
    EXPECT_TRUE(closed || connection.closed_within(1000)) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25)) << c.name;
    EXPECT_EQ(h.front->hub().size(), 0u) << c.name;  // no session was opened
    EXPECT_TRUE(h.nothing_ran()) << c.name;
    std::string log = h.log();
    EXPECT_NE(log.find("[mcp-http] refused connection from 127.0.0.1:"), std::string::npos) << log;
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
  }
}

TEST(McpHttp, KeepAliveAndSlowButCompleteRequestsAreServed) {
  HttpHarness h({}, kShortDeadlines);
  RawConnection keep_alive(h.port);
  const std::string health =
      "GET /health HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(h.port) + "\r\n\r\n";
  // Four requests on one connection over longer than one header deadline.
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(keep_alive.send(health)) << i;
    EXPECT_EQ(keep_alive.response(), "HTTP/1.1 200 OK") << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
  }
  // A header sent in three parts, complete within its deadline.
  RawConnection slow(h.port);
  std::string request = initialize_request(h.port, kInitialize);
  std::size_t third = request.size() / 3;
  for (std::size_t at = 0; at < request.size(); at += third) {
    ASSERT_TRUE(slow.send(request.substr(at, third)));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  EXPECT_EQ(slow.response(), "HTTP/1.1 200 OK");
  // A DELETE has no body without Content-Length: the next request on the
  // connection is read as a request, not swallowed as that body.
  ASSERT_TRUE(slow.send("DELETE /mcp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(h.port) +
                        "\r\nAuthorization: Bearer " + kToken + "\r\nMcp-Session-Id: x\r\n\r\n"));
  EXPECT_EQ(slow.response(), "HTTP/1.1 404 Not Found");
  ASSERT_TRUE(slow.send(health));
  EXPECT_EQ(slow.response(), "HTTP/1.1 200 OK");
  EXPECT_EQ(h.front->hub().size(), 1u);
  EXPECT_EQ(h.log().find("refused POST"), std::string::npos) << h.log();
}

TEST(McpHttp, PendingWaitsLeaveThreadsForOtherRequests) {
  HttpHarness h;
  fakes::SleepGate gate;  // holds the waits' polls on the timer
  h.desk.clock().on_sleep = [&] { gate.hold(); };
  std::string session = h.initialize();
  constexpr int kWaits = 30;  // more than the threads a pool without waits needs
  std::atomic<int> timed_out = 0;
  std::vector<std::thread> waits;
  for (int i = 0; i < kWaits; ++i) {
    waits.emplace_back([&, i] {
      Json result = h.call(session, "wait_for",
                           {{"windowId", 65552}, {"text", "never there"}, {"timeoutMs", 60000}},
                           100 + i);
      if (!result.is_null() && result["structuredContent"]["timedOut"] == true) ++timed_out;
    });
    // One at a time: the listening backlog is short, and a dropped connect is retried late.
    for (int t = 0; t < 1000 && h.front->hub().pending_waits() <= std::size_t(i); ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ASSERT_EQ(h.front->hub().pending_waits(), static_cast<std::size_t>(kWaits));
  Json windows = h.call(h.initialize(), "list_windows", Json::object());
  EXPECT_FALSE(windows.is_null());
  EXPECT_FALSE(windows.value("isError", false)) << windows.dump();
  gate.release();
  for (auto& wait : waits) wait.join();
  EXPECT_EQ(timed_out, kWaits);
}

// The events of a server-sent event stream, each data line parsed.
std::vector<Json> sse_events(const std::string& body) {
  std::vector<Json> events;
  std::istringstream lines(body);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("data: ", 0) == 0) events.push_back(Json::parse(line.substr(6)));
  }
  return events;
}

TEST(McpHttp, WaitsStreamTheirProgressAndAClosedStreamWithdrawsAStatelessCall) {
  HttpHarness h;
  const Json meta = {{"io.modelcontextprotocol/protocolVersion", "2026-07-28"},
                     {"io.modelcontextprotocol/clientCapabilities", Json::object()},
                     {"progressToken", "p1"}};
  auto wait = [&](int timeout_ms) {
    return Json{{"jsonrpc", "2.0"},
                {"id", 40},
                {"method", "tools/call"},
                {"params",
                 {{"name", "wait_for"},
                  {"arguments", {{"windowId", 65552}, {"text", "never"}, {"timeoutMs", timeout_ms}}},
                  {"_meta", meta}}}};
  };
  const httplib::Headers headers = {{"MCP-Protocol-Version", "2026-07-28"},
                                    {"Mcp-Method", "tools/call"},
                                    {"Mcp-Name", "wait_for"}};
  auto streamed = h.client().Post("/mcp", headers, wait(3000).dump(), "application/json");
  ASSERT_TRUE(streamed);
  EXPECT_EQ(streamed->get_header_value("Content-Type"), "text/event-stream");
  std::vector<Json> events = sse_events(streamed->body);
  ASSERT_GE(events.size(), 3u) << streamed->body;
  for (std::size_t i = 0; i + 1 < events.size(); ++i) {
    EXPECT_EQ(events[i]["method"], "notifications/progress") << events[i];
    EXPECT_EQ(events[i]["params"]["progressToken"], "p1");
    EXPECT_EQ(events[i]["params"]["total"], 3000);
    if (i > 0) {
      EXPECT_GT(events[i]["params"]["progress"], events[i - 1]["params"]["progress"]);
    }
  }
  EXPECT_EQ(events.back()["id"], 40);
  EXPECT_EQ(events.back()["result"]["structuredContent"]["timedOut"], true);
  EXPECT_EQ(events.back()["result"]["resultType"], "complete");

  // The client leaves mid-wait: the stateless call is withdrawn, its wait ends.
  fakes::SleepGate gate;
  h.desk.clock().on_sleep = [&] { gate.hold(); };
  {
    RawConnection leaving(h.port);
    std::string body = wait(600000).dump();
    std::string head = "POST /mcp HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(h.port) +
                       "\r\nAuthorization: Bearer " + kToken +
                       "\r\nContent-Type: application/json\r\nMCP-Protocol-Version: 2026-07-28"
                       "\r\nMcp-Method: tools/call\r\nMcp-Name: wait_for\r\nContent-Length: " +
                       std::to_string(body.size()) + "\r\n\r\n";
    ASSERT_TRUE(leaving.send(head + body));
    for (int t = 0; t < 1000 && h.front->hub().pending_waits() == 0; ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(h.front->hub().pending_waits(), 1u);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // a few of the call's checks
  int sleeps = h.desk.clock().sleeps();
  gate.release();
  h.desk.clock().on_sleep = nullptr;
  for (int t = 0; t < 500 && h.front->hub().pending_waits() > 0; ++t) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(h.front->hub().pending_waits(), 0u);
  // 600 s of polls every 150 ms ended after a few, not 4,000.
  EXPECT_LT(h.desk.clock().sleeps() - sleeps, 20);
}

// Resident memory of this process (the server runs in it), in bytes.
std::size_t resident_bytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  std::size_t resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Sends `piece` over and over until `total` bytes went or the server ended
// the connection; whether it ended it.
bool flood(RawConnection& connection, const std::string& start, const std::string& piece,
           std::size_t total) {
  if (!connection.send(start)) return true;
  std::string block;
  while (block.size() < 64 * 1024) block += piece;
  for (std::size_t sent = 0; sent < total; sent += block.size()) {
    if (!connection.send(block)) return true;
  }
  return connection.closed_within(5000);
}

TEST(McpHttp, HostileBytesBeforeAuthenticationAreBoundedAndRunNothing) {
  HttpHarness h;
  const std::string host = "Host: 127.0.0.1:" + std::to_string(h.port) + "\r\n";
  const std::string auth = std::string("Authorization: Bearer ") + kToken + "\r\n";
  const std::string call = kLook.dump();
  const std::string smuggled = "GET /health HTTP/1.1\r\n" + host + "\r\n";
  std::string ranges = "Range: bytes=0-0";
  while (ranges.size() < 7000) ranges += ",0-0";
  struct Case {
    const char* name;
    std::string request;
    const char* status;  // the whole status line, or "" when only the end is expected
  };
  const Case cases[] = {
      {"a long Range is ignored", "GET /health HTTP/1.1\r\n" + host + ranges + "\r\n\r\n",
       "HTTP/1.1 200 OK"},
      {"too many headers", "GET /health HTTP/1.1\r\n" + host + [] {
         std::string many;
         for (int i = 0; i < 101; ++i) many += "X-" + std::to_string(i) + ": y\r\n";
         return many;
       }() + "\r\n", "HTTP/1.1 400 Bad Request"},
      {"chunked body", "POST /mcp HTTP/1.1\r\n" + host + auth +
           "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", "HTTP/1.1 411 Length Required"},
      {"no length", "POST /mcp HTTP/1.1\r\n" + host + auth + "Connection: close\r\n\r\n" + call,
       "HTTP/1.1 411 Length Required"},
      {"two lengths", "POST /mcp HTTP/1.1\r\n" + host + auth + "Content-Length: " +
           std::to_string(call.size()) + "\r\nContent-Length: 2\r\n\r\n" + call,
       "HTTP/1.1 400 Bad Request"},
      {"an encoded length", "POST /mcp HTTP/1.1\r\n" + host + auth +
           "Content-Length: %32\r\n\r\n{}", "HTTP/1.1 400 Bad Request"},
      // What follows a refused request is never served: one answer, then the end.
      {"a body that smuggles a request", "POST /mcp HTTP/1.1\r\n" + host + "Content-Length: " +
           std::to_string(smuggled.size()) + "\r\n\r\n" + smuggled,
       "HTTP/1.1 401 Unauthorized"},
      {"a line feed in the path", "GET /x%0A[mcp-http]%20serving HTTP/1.1\r\n" + host + "\r\n",
       "HTTP/1.1 404 Not Found"},
  };
  for (const Case& c : cases) {
    std::string answer = fuzz::loopback_exchange(h.port, c.request, true);
    EXPECT_EQ(answer.substr(0, answer.find("\r\n")), c.status) << c.name;
    EXPECT_EQ(answer.find("HTTP/1.1", 1), std::string::npos) << c.name << ": " << answer;
    EXPECT_LT(answer.size(), 1024u) << c.name;
  }

  // Heads that never end: one endless line, and long lines each within its
  // own bound. Each connection is cut off long before memory grows.
  std::size_t before = resident_bytes();
  const std::pair<const char*, std::string> floods[] = {
      {"X: ", "a"}, {"", "X-Pad: " + std::string(8000, 'a') + "\r\n"}};
  for (const auto& [start, piece] : floods) {
    RawConnection endless(h.port);
    EXPECT_TRUE(flood(endless, "GET /health HTTP/1.1\r\n" + host + start, piece, 64 << 20))
        << piece;
  }
  EXPECT_LT(resident_bytes(), before + (64 << 20));

  // More idle connections than one peer may hold: the ninth is turned away.
  {
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (std::size_t i = 0; i < kConnectionsPerPeer; ++i) {
      idle.push_back(std::make_unique<RawConnection>(h.port));
    }
    for (int i = 0; i < 1000 && h.log().find("connections from this address") == std::string::npos;
         ++i) {
      RawConnection one_more(h.port);
      if (one_more.response() == "HTTP/1.1 503 Service Unavailable") break;
    }
  }
  // The idle connections' slots come back as their threads see them closed.
  auto start = std::chrono::steady_clock::now();
  httplib::Client health = h.client(false);
  health.set_connection_timeout(1, 0);
  health.set_read_timeout(1, 0);
  int status = 0;
  while (status != 200 && std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
    auto answer = health.Get("/health");
    status = answer ? answer->status : -1;
  }
  EXPECT_EQ(status, 200);

  EXPECT_EQ(h.front->hub().size(), 0u);
  EXPECT_TRUE(h.nothing_ran());
  std::string log = h.log();
  EXPECT_NE(log.find("request head larger than 72 KiB"), std::string::npos) << log;
  EXPECT_NE(log.find("more than 8 connections from this address"), std::string::npos) << log;
  EXPECT_NE(log.find("refused GET /x%0A[mcp-http]%20serving from"), std::string::npos) << log;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.starts_with("[mcp-http] refused ")) << line;
  }
}

}  // namespace
}  // namespace winhelper::mcp
