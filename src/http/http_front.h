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
#include "http/connection_watch.h"
#include "http/http_policy.h"
#include "http/session_hub.h"
#include "service/dispatcher.h"

namespace winhelper::mcp {

// Threads serving connections besides those whose calls wait: a call runs on
// its connection's thread, so the pool grows by the number of waits that may
// be pending. Connections accepted but waiting for a thread, beyond which
// the server stops accepting until one frees.
inline constexpr int kHttpThreads = 24;
inline constexpr int kHttpMaxThreads = kHttpThreads + static_cast<int>(kMaxPendingWaits);
inline constexpr int kHttpQueuedConnections = 32;
// Seconds a single read or write may wait (the whole header, body and
// response are bounded by HttpDeadlines).
inline constexpr int kHttpReadTimeoutSeconds = 10;
inline constexpr int kHttpKeepAliveRequests = 100;

struct HttpOptions {
  HttpSecurity security;
  HubOptions hub;
  // Diagnostic lines (without line feed).
  std::function<void(const std::string&)> log;
  // The whole header, the body and the response (see connection_watch.h).
  HttpDeadlines deadlines;
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
