#pragma once
// The MCP server over HTTP: the Streamable HTTP transport at /mcp and a
// health check at /health, served by cpp-httplib. Every request passes the
// checks of http_policy.h before anything else sees it; refusals are logged
// with the peer's address and the reason, never a token.

#include <functional>
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/result.h"
#include "context/helper_state.h"
#include "mcp/http_policy.h"
#include "mcp/session_hub.h"
#include "service/dispatcher.h"

namespace winhelper::mcp {

// Threads serving connections, and connections accepted but waiting for one
// beyond which the server stops accepting until one frees.
inline constexpr int kHttpThreads = 24;
inline constexpr int kHttpQueuedConnections = 32;
// Seconds a read of a request may wait, and an idle keep-alive connection.
inline constexpr int kHttpReadTimeoutSeconds = 10;
inline constexpr int kHttpKeepAliveSeconds = 5;
inline constexpr int kHttpKeepAliveRequests = 100;

struct HttpOptions {
  HttpSecurity security;
  HubOptions hub;
  // Diagnostic lines (without line feed).
  std::function<void(const std::string&)> log;
};

class HttpFront {
 public:
  HttpFront(Dispatcher& dispatcher, SharedState& shared, Clock& clock, HttpOptions options);
  ~HttpFront();
  HttpFront(const HttpFront&) = delete;
  HttpFront& operator=(const HttpFront&) = delete;

  // Binds the listening address; the port bound (the one asked for, or the
  // system's choice for port 0), or why it could not be bound.
  Result<int, std::string> bind();
  // Serves until stop(); call after bind().
  void serve();
  // From any thread: serve() returns once the calls in progress ended.
  void stop();

  SessionHub& hub();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace winhelper::mcp
