// The MCP server over HTTP on the fake desktop, through real sockets.

#include <gtest/gtest.h>

#include <httplib.h>

#include <memory>
#include <mutex>
#include <thread>

#include "fuzz/fuzz_platform.h"
#include "fuzz/loopback.h"
#include "mcp/http_front.h"

namespace winhelper::mcp {
namespace {

constexpr const char* kToken = "tok-0123456789";

class HttpHarness {
 public:
  explicit HttpHarness(HubOptions hub = {}) {
    HttpOptions options;
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
  EXPECT_EQ(h.client().Delete("/mcp", {{"Mcp-Session-Id", session}})->status, 200);
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
  auto full = h.post({{"jsonrpc", "2.0"},
                      {"id", 0},
                      {"method", "initialize"},
                      {"params", {{"protocolVersion", "2025-06-18"}}}});
  EXPECT_EQ(full->status, 503);
  EXPECT_EQ(full->get_header_value("Retry-After"), "60");
  EXPECT_EQ(full->get_header_value("Mcp-Session-Id"), "");
  // Notifications are accepted without an answer.
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"method", "notifications/initialized"}}, sessions[0])
                ->status,
            202);
  h.desk.clock().advance(60'001);
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "ping"}}, sessions[0])->status, 200);
  h.desk.clock().advance(1);
  EXPECT_EQ(h.front->hub().expire_idle(), 2u);  // the pinged one stays
  EXPECT_EQ(h.post({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "ping"}}, sessions[1])->status, 404);
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
  EXPECT_EQ(h.client().Delete("/mcp", {{"Mcp-Session-Id", a}})->status, 200);
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

}  // namespace
}  // namespace winhelper::mcp
