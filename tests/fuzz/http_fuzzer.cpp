// libFuzzer entry: arbitrary bytes sent over a loopback connection to the
// MCP server's HTTP front on the fake desktop, with a valid token and an open
// session substituted for the placeholders "TOKEN" and "SESSION", so inputs
// reach session handling. The server must answer with an HTTP status line
// or close, and keep answering afterwards; a hang is caught by -timeout.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include <httplib.h>

#include "fuzz/fuzz_platform.h"
#include "mcp/http_front.h"

namespace {

using winhelper::mcp::HttpFront;

struct Server {
  Server() {
    winhelper::mcp::HttpOptions options;
    options.security.listen = {"127.0.0.1", 0};
    options.security.token = "fuzz-token";
    options.log = [](const std::string&) {};
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
};

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

// The server's whole answer to `bytes` on one connection.
std::string exchange(int port, const std::string& bytes) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    std::fprintf(stderr, "http fuzzer: cannot connect\n");
    std::abort();
  }
  (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;) {
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return answer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Server* server = new Server();  // lives for the whole run
  std::string bytes(reinterpret_cast<const char*>(data), size);
  replace_all(bytes, "TOKEN", "fuzz-token");
  replace_all(bytes, "SESSION", server->session);
  replace_all(bytes, "PORT", std::to_string(server->port));
  std::string answer = exchange(server->port, bytes);
  if (!answer.empty() && answer.rfind("HTTP/1.1 ", 0) != 0) {
    std::fprintf(stderr, "http fuzzer: answer is not HTTP: %.60s\n", answer.c_str());
    std::abort();
  }
  std::string health = exchange(server->port, "GET /health HTTP/1.1\r\nHost: 127.0.0.1:" +
                                                  std::to_string(server->port) +
                                                  "\r\nConnection: close\r\n\r\n");
  if (health.find("{\"status\":\"ok\"}") == std::string::npos) {
    std::fprintf(stderr, "http fuzzer: the server stopped answering\n");
    std::abort();
  }
  return 0;
}
