#pragma once
// The MCP sessions of the HTTP transport, independent of HTTP itself: each
// POST body is one JSON-RPC message for one session, answered with a status
// and a body. Sessions share the desktop (the dispatcher, the window
// registry, the input lock) and nothing else: each has its own look history.
// Ending a session (DELETE, expiry, or eviction to make room for a new one)
// withdraws its calls and frees its looks.
//
// Requests of the stateless era come without a session and take no place:
// they are checked against their mirrored headers and served on their own.
// Their callers share one look history (bound as any other), since they
// share the one credential this server accepts and nothing else tells them
// apart; a lookId is the handle that carries a look from one call to the
// next.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "context/helper_state.h"
#include "http/mirrored_headers.h"
#include "mcp/rpc_session.h"
#include "service/dispatcher.h"
#include "service/scheduler.h"

namespace winhelper::mcp {

inline constexpr std::size_t kMaxSessions = 16;
inline constexpr std::int64_t kSessionIdleMs = 30 * 60 * 1000;
// Seconds a client is asked to wait when every session has a call in
// flight. A place frees the moment the last call of any session ends, and
// nothing here knows when that will be: most calls end within a second, a
// wait at its own timeout, which the hub does not see. So the figure is the
// earliest a place may plausibly free, not a promise; a client retrying early
// costs one cheap refusal, one told to stay away longer than needed would
// miss a place that is already free.
inline constexpr int kSessionsBusyRetrySeconds = 2;
// Workers running the polls of pending waits (a call itself runs on its
// connection's thread).
inline constexpr int kHubPollWorkers = 4;

struct HubOptions {
  std::size_t max_sessions = kMaxSessions;
  std::int64_t idle_ms = kSessionIdleMs;
  std::set<std::string> disabled_tools;
  // What every look's image is held to.
  ImageBudget image_budget;
  // Diagnostic lines (without line feed): evictions, and the faults of this
  // server that a remote client is not told the details of. None when empty.
  std::function<void(const std::string&)> log;
};

// What the transport knows of a POST besides its headers and body.
struct PostContext {
  // The peer's "host:port", for the log; empty when not known.
  std::string_view peer;
  // Asked while a stateless call runs: whether its client went away (the
  // call is then withdrawn). A session's call is not withdrawn so, as its
  // era has the client cancel in words.
  std::function<bool()> abandoned;
  // Whether the transport can stream a call's progress before its answer.
  bool can_stream = false;
};

// A call whose answer is streamed: the transport runs it, handing each
// progress line to `progress` as it comes, and sends the line it returns
// last (none when the call was withdrawn).
using StreamedCall = std::function<std::string(const std::function<void(std::string)>& progress)>;

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
  // Set instead of a body for a call that asked for progress while the
  // transport can stream: status 200, content type text/event-stream.
  StreamedCall streamed;
};

class SessionHub {
 public:
  SessionHub(Dispatcher& dispatcher, SharedState& shared, Clock& clock, HubOptions options = {});
  ~SessionHub();

  // A POST: its MCP headers and body. A tool call runs on the calling
  // thread, or is handed back to be streamed. When every place is taken,
  // initialize ends the least recently used session that has no call in
  // flight; when each has one, it is refused with 503.
  HubReply post(const PostHeaders& headers, std::string_view body, PostContext context = {});
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
    // Under the hub's lock: when and in which order sessions were last used
    // (the order tells apart uses within one millisecond), where from, and
    // the requests in progress. A session with one is never evicted.
    std::int64_t last_used_ms = 0;
    std::uint64_t last_use = 0;
    std::string peer;
    int running = 0;
    std::atomic<bool> ended{false};
  };

  HubReply post_message(const PostHeaders& headers, const RpcMessage& message,
                        const PostContext& context);
  HubReply post_stateless(const PostHeaders& headers, const RpcMessage& message,
                          const PostContext& context);
  // Runs a prepared call now, or hands it back to be streamed when it asked
  // for progress and the transport can stream. `hold` lives until the call
  // ended; `after` runs then, on the same thread.
  HubReply run_call(RpcSession& rpc, RpcSession::PendingCall pending, CallOptions options,
                    const PostContext& context, std::shared_ptr<void> hold,
                    std::function<void()> after = {});
  HubReply open_session(const RpcMessage& initialize, std::string_view peer);
  // 503 with Retry-After: every session place is taken by a session at work.
  HubReply sessions_busy(const Json& id) const;
  using Sessions = std::map<std::string, std::shared_ptr<Session>, std::less<>>;

  // Under the lock: the least recently used session with nothing in
  // progress, or end() when every one has something.
  Sessions::iterator idle_victim();
  HubReply handle(const std::shared_ptr<Session>& session, const RpcMessage& message,
                  const PostContext& context);
  std::shared_ptr<Session> take_session(std::string_view id, std::string_view peer);
  void release_session(const std::shared_ptr<Session>& session);
  void touch(Session& session);  // under the lock
  void log(const std::string& line) const {
    if (options_.log) options_.log(line);
  }
  // Withdraws the session's calls and frees its looks; it is out of the map.
  void close(Session& session);

  Dispatcher& dispatcher_;
  SharedState& shared_;
  Clock& clock_;
  const HubOptions options_;
  mutable std::mutex mutex_;
  Sessions sessions_;
  // The stateless callers' protocol handling and look history.
  RpcSession stateless_;
  const ClientSession stateless_key_ = kDefaultSession + 1;
  std::atomic<std::uint64_t> next_stateless_call_{0};
  ClientSession next_key_ = kDefaultSession + 2;
  std::uint64_t next_use_ = 0;
  // Last: its pending waits run to their answers before the rest goes.
  Scheduler scheduler_;
};

}  // namespace winhelper::mcp
