// libFuzzer entry: arbitrary bytes sent over a loopback connection to the
// MCP server's HTTP front on the fake desktop, with a valid token and an open
// session substituted for the placeholders "TOKEN" and "SESSION", so inputs
// reach session handling. The server must answer with an HTTP status line
// or close, and keep answering afterwards; a hang is caught by -timeout.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <httplib.h>

#include "fuzz/fuzz_platform.h"
#include "fuzz/loopback.h"
#include "http/http_front.h"

namespace {

using winhelper::mcp::HttpFront;

struct Server {
  Server() {
    winhelper::mcp::HttpOptions options;
    options.security.listen = {"127.0.0.1", 0};
    options.security.token = "fuzz-token";
    options.log = [this](const std::string& line) {
      std::lock_guard<std::mutex> hold(log_mutex);
      log.push_back(line);
      if (log.size() > 20) log.pop_front();
    };
    front = std::make_unique<HttpFront>(desk.dispatcher(), desk.shared(), desk.clock(), options);
    port = front->bind().value();
    thread = std::thread([this] { front->serve(); });
    httplib::Client client("127.0.0.1", port);
    client.set_bearer_token_auth("fuzz-token");
    for (int i = 0; i < 500; ++i) {
      auto r = client.Post("/mcp",
                           R"({"jsonrpc":"2.0","id":0,"method":"initialize",)"
                           R"("params":{"protocolVersion":"2025-06-18"}})",
                           "application/json");
      if (r) {
        session = r->get_header_value("Mcp-Session-Id");
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  winhelper::fuzz::FuzzPlatform desk;
  std::unique_ptr<HttpFront> front;
  std::thread thread;
  int port = 0;
  std::string session;
  std::mutex log_mutex;
  std::deque<std::string> log;  // the server's last lines, shown when a check fails
};

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Server* server = new Server();  // lives for the whole run
  std::string bytes(reinterpret_cast<const char*>(data), size);
  replace_all(bytes, "TOKEN", "fuzz-token");
  replace_all(bytes, "SESSION", server->session);
  replace_all(bytes, "PORT", std::to_string(server->port));
  std::string answer = winhelper::fuzz::loopback_exchange(server->port, bytes, true);
  if (!answer.empty() && answer.rfind("HTTP/1.1 ", 0) != 0) {
    std::fprintf(stderr, "http fuzzer: answer is not HTTP: %.60s\n", answer.c_str());
    std::abort();
  }
  // Half a minute of fuzzing goes through every ephemeral port of the
  // machine, and this server closes first, so its side keeps each pair of
  // ports in TIME_WAIT: a new connection on a reused pair may be reset before
  // the server sees it. A connection the system refused or reset is tried
  // again; a server that stopped answering answers none of the attempts.
  std::string health;
  int failure = 0;
  for (int attempt = 0; attempt < 5 && health.empty(); ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    health = winhelper::fuzz::loopback_exchange(
        server->port,
        "GET /health HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server->port) +
            "\r\nConnection: close\r\n\r\n",
        false, &failure);
    if (health.empty() && failure == 0) break;  // closed without a word: a fault
  }
  if (health.rfind("HTTP/1.1 200 ", 0) != 0) {
    std::fprintf(stderr, "http fuzzer: the server stopped answering (errno %d): %.80s\n", failure,
                 health.c_str());
    std::lock_guard<std::mutex> hold(server->log_mutex);
    for (const std::string& line : server->log) std::fprintf(stderr, "  log: %s\n", line.c_str());
    std::abort();
  }
  return 0;
}
