#pragma once
// Time limits on what a client sends and receives, per connection, enforced
// by one watchdog thread: the library bounds each read, not the whole
// request, so a client trickling its header a byte at a time would otherwise
// hold a connection thread for as long as it likes. When a connection's
// deadline passes, the watchdog shuts its socket down, which ends the
// blocked read and the connection. Running the handler is not bounded.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "http/socket_hold.h"

namespace winhelper::mcp {

// Seconds for the request line and headers; for the body once the headers
// are in, and for the response once the handler answered (4 MiB at under
// 70 KiB/s still fits); and that an idle keep-alive connection is kept.
inline constexpr int kHttpHeaderSeconds = 10;
inline constexpr int kHttpTransferSeconds = 60;
inline constexpr int kHttpKeepAliveSeconds = 5;

struct HttpDeadlines {
  std::chrono::milliseconds header{std::chrono::seconds(kHttpHeaderSeconds)};
  std::chrono::milliseconds transfer{std::chrono::seconds(kHttpTransferSeconds)};
  // The next request's header deadline starts after this idle time.
  std::chrono::milliseconds idle{std::chrono::seconds(kHttpKeepAliveSeconds)};
};

// Where a connection is; each names the deadline it runs under.
enum class ConnectionPhase {
  Header,      // the first request's header: `header`
  NextHeader,  // a response was written; the next request: `idle` + `header`
  Transfer,    // the request body or the response: `transfer`
  Handling,    // the handler runs: no deadline
};

// When a connection entering `phase` at `now` must have left it, if ever.
std::optional<std::chrono::steady_clock::time_point> phase_deadline(
    const HttpDeadlines& deadlines, ConnectionPhase phase,
    std::chrono::steady_clock::time_point now);

// The log line of a connection refused for `reason`; `peer` is "host:port"
// or empty when the address was not available.
std::string connection_refused_line(const std::string& peer, const std::string& reason);
// Why a connection was cut off in `phase`.
std::string cut_off_reason(const HttpDeadlines& deadlines, ConnectionPhase phase);

class ConnectionWatch {
 public:
  using Log = std::function<void(const std::string&)>;

  ConnectionWatch(HttpDeadlines deadlines, Log log);
  ~ConnectionWatch();
  ConnectionWatch(const ConnectionWatch&) = delete;
  ConnectionWatch& operator=(const ConnectionWatch&) = delete;

  // A connection taken up: watched from now on in phase Header. Returns its
  // ticket for the calls below.
  std::uint64_t begin(SocketHold hold, std::string peer);
  void enter(std::uint64_t ticket, ConnectionPhase phase);
  // The connection ended: no longer watched, its hold released.
  void end(std::uint64_t ticket);

 private:
  struct Watched {
    SocketHold hold;
    std::string peer;
    ConnectionPhase phase = ConnectionPhase::Header;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    bool cut = false;  // shut down; no later phase is watched
  };

  void run();

  const HttpDeadlines deadlines_;
  const Log log_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uint64_t, Watched> watched_;
  std::uint64_t next_ticket_ = 1;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace winhelper::mcp
