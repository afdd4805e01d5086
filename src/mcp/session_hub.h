#pragma once
// The MCP sessions of the HTTP transport, independent of HTTP itself: each
// POST body is one JSON-RPC message for one session, answered with a status
// and a body. Sessions share the desktop (the dispatcher, the window
// registry, the input lock) and nothing else: each has its own look history.
// Ending a session (DELETE or expiry) withdraws its calls and frees its looks.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "context/helper_state.h"
#include "mcp/rpc_session.h"
#include "service/dispatcher.h"
#include "service/scheduler.h"

namespace winhelper::mcp {

inline constexpr std::size_t kMaxSessions = 16;
inline constexpr std::int64_t kSessionIdleMs = 30 * 60 * 1000;
// Seconds a client is asked to wait when every session is taken.
inline constexpr int kSessionsFullRetrySeconds = 60;
// Workers running the polls of pending waits (a call itself runs on its
// connection's thread).
inline constexpr int kHubPollWorkers = 4;

struct HubOptions {
  std::size_t max_sessions = kMaxSessions;
  std::int64_t idle_ms = kSessionIdleMs;
  std::set<std::string> disabled_tools;
  // What every look's image is held to.
  ImageBudget image_budget;
};

// What the transport sends back. An empty content type means no body.
struct HubReply {
  int status = 200;
  std::string content_type;
  std::string body;
  // Issued by initialize.
  std::optional<std::string> session_id;
  std::optional<int> retry_after_seconds;
  // Why a request was refused (status 400 and above), for the log.
  std::string refusal;
};

class SessionHub {
 public:
  SessionHub(Dispatcher& dispatcher, SharedState& shared, Clock& clock, HubOptions options = {});
  ~SessionHub();

  // A POST: the Mcp-Session-Id and MCP-Protocol-Version headers (null when
  // absent) and the body. A tool call runs on the calling thread.
  HubReply post(std::optional<std::string_view> session_id,
                std::optional<std::string_view> protocol_version, std::string_view body);
  // A DELETE: ends the session.
  HubReply end(std::optional<std::string_view> session_id);
  // Ends the sessions idle for longer than the limit; returns how many.
  std::size_t expire_idle();
  std::size_t size() const;
  // Waits pending now, over every session.
  std::size_t pending_waits() { return scheduler_.pending(); }

 private:
  struct Session {
    Session(std::set<std::string> disabled, ClientSession client)
        : rpc(std::move(disabled)), key(client) {}
    RpcSession rpc;
    const ClientSession key;
    std::int64_t last_used_ms = 0;  // under the hub's lock
    int running = 0;                // requests in progress, under the hub's lock
    std::atomic<bool> ended{false};
  };

  HubReply open_session(const RpcMessage& initialize);
  // 503 with Retry-After: every session place is taken.
  HubReply sessions_full(const Json& id) const;
  HubReply handle(const std::shared_ptr<Session>& session, const RpcMessage& message);
  std::shared_ptr<Session> take_session(std::string_view id);
  void release_session(const std::shared_ptr<Session>& session);
  // Withdraws the session's calls and frees its looks; it is out of the map.
  void close(Session& session);

  Dispatcher& dispatcher_;
  SharedState& shared_;
  Clock& clock_;
  const HubOptions options_;
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Session>, std::less<>> sessions_;
  ClientSession next_key_ = kDefaultSession + 1;
  // Last: its pending waits run to their answers before the rest goes.
  Scheduler scheduler_;
};

}  // namespace winhelper::mcp
