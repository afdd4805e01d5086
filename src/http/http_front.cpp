#include "http/http_front.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <httplib.h>

#include "http/connection_pool.h"
#include "http/log_field.h"
#include "http/peer_slots.h"
#include "http/socket_hold.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace winhelper::mcp {

// The library's own limits, set for every file that includes it by the
// build (cmake/dependencies.cmake), are the ones the front promises.
static_assert(CPPHTTPLIB_HEADER_MAX_LENGTH == kMaxLineBytes);
static_assert(CPPHTTPLIB_MAX_LINE_LENGTH == kMaxLineBytes);
static_assert(CPPHTTPLIB_REQUEST_URI_MAX_LENGTH == kMaxLineBytes);
static_assert(CPPHTTPLIB_HEADER_MAX_COUNT == kMaxHeaders);

namespace {

// The connection being served on this thread, for the hooks that mark its
// progress and the stream that bounds what it reads (they all run on the
// thread that took it up).
struct Connection {
  std::uint64_t ticket = 0;
  socket_t sock = INVALID_SOCKET;
  std::string address;  // the peer's address, without the port
  std::string peer;     // "address:port", for the log
  // The request being read: bytes of its head so far; whether the head was
  // complete and checked; whether it was refused (nothing more is read).
  std::size_t head_bytes = 0;
  bool screened = false;
  bool refused = false;
  // Once screened: the body bytes still to come. A request without
  // Content-Length has none (the library would read one until the
  // connection closes, taking the next request with it).
  std::size_t body_left = 0;
};
thread_local Connection* t_connection = nullptr;

// The connection's stream as the library reads it: the head of each request
// is cut off at kMaxHeadBytes (the library bounds each line and the number
// of lines, not their sum), and a refused request's body is never read, so
// the connection ends instead of serving what follows.
class GuardedStream final : public httplib::Stream {
 public:
  GuardedStream(httplib::Stream& inner, Connection& connection)
      : inner_(inner), connection_(connection) {}

  bool is_readable() const override { return inner_.is_readable(); }
  bool wait_readable() const override { return inner_.wait_readable(); }
  bool wait_writable() const override { return inner_.wait_writable(); }
  bool is_peer_alive() const override { return inner_.is_peer_alive(); }
  ssize_t read(char* ptr, size_t size) override {
    if (connection_.refused) return -1;
    if (connection_.screened) {
      if (connection_.body_left == 0) return 0;  // the body's end
      size = std::min(size, connection_.body_left);
    } else {
      if (connection_.head_bytes >= kMaxHeadBytes) {
        connection_.refused = true;
        over_head_ = true;
        return -1;
      }
      size = std::min(size, kMaxHeadBytes - connection_.head_bytes);
    }
    ssize_t got = inner_.read(ptr, size);
    if (got > 0) {
      auto bytes = static_cast<std::size_t>(got);
      if (connection_.screened) {
        connection_.body_left -= bytes;
      } else {
        connection_.head_bytes += bytes;
      }
    }
    return got;
  }
  ssize_t write(const char* ptr, size_t size) override { return inner_.write(ptr, size); }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    inner_.get_remote_ip_and_port(ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    inner_.get_local_ip_and_port(ip, port);
  }
  socket_t socket() const override { return inner_.socket(); }
  time_t duration() const override { return inner_.duration(); }
  void set_read_timeout(time_t sec, time_t usec) override { inner_.set_read_timeout(sec, usec); }

  bool over_head() const { return over_head_; }

 private:
  httplib::Stream& inner_;
  Connection& connection_;
  bool over_head_ = false;
};

// Binds so that no other socket can take over the port while we listen (on
// Windows, SO_REUSEADDR would let another process bind the same port and
// read the requests, tokens included; SO_EXCLUSIVEADDRUSE forbids it).
void exclusive_bind(socket_t sock) {
  int on = 1;
#ifdef _WIN32
  ::setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
               sizeof(on));
#else
  ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
#endif
}

// Ends a connection whose last request was refused. Closing a socket with
// unread bytes makes the system reset the connection, which can discard the
// refusal before the client reads it; so our side is shut first and what the
// client still sends is read and dropped, within a bound of bytes and time.
void close_after_refusal(socket_t sock) {
#ifdef _WIN32
  ::shutdown(sock, SD_SEND);
#else
  ::shutdown(sock, SHUT_WR);
#endif
  constexpr std::size_t kMaxDropped = 256 * 1024;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  char buffer[4096];
  for (std::size_t dropped = 0; dropped < kMaxDropped;) {
    if (std::chrono::steady_clock::now() >= until) break;
    ssize_t ready = httplib::detail::select_read(sock, 0, 50'000);
    if (ready < 0) break;
    if (ready == 0) continue;
    ssize_t got = httplib::detail::read_socket(sock, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    dropped += static_cast<std::size_t>(got);
  }
}

// A server whose connections run under the watch's deadlines and the
// per-peer bound, and whose requests are read through GuardedStream.
class WatchedServer final : public httplib::Server {
 public:
  WatchedServer(ConnectionWatch& watch, PeerSlots& peers, ConnectionWatch::Log log)
      : watch_(watch), peers_(peers), log_(std::move(log)) {}

  static void enter(ConnectionWatch& watch, ConnectionPhase phase) {
    if (t_connection) watch.enter(t_connection->ticket, phase);
  }

 protected:
  // The library's own connection loop, with our stream and checks around
  // each request.
  bool process_and_close_socket(socket_t sock) override {
    Connection connection;
    connection.sock = sock;
    int port = 0;
    httplib::detail::get_remote_ip_and_port(sock, connection.address, port);
    connection.peer =
        connection.address.empty() ? "" : connection.address + ":" + std::to_string(port);
    if (!peers_.take(connection.address)) {
      refuse(sock, connection.peer,
             "more than " + std::to_string(kConnectionsPerPeer) + " connections from this address");
      return false;
    }
    std::optional<SocketHold> hold = SocketHold::take(static_cast<std::uintptr_t>(sock));
    if (!hold) {
      // Out of handles: a connection that could not be cut off is not served.
      peers_.give(connection.address);
      refuse(sock, connection.peer, "no socket handle left to watch it");
      return false;
    }
    connection.ticket = watch_.begin(std::move(*hold), connection.peer);
    t_connection = &connection;
    struct Unwatch {
      WatchedServer& server;
      Connection& connection;
      ~Unwatch() {
        t_connection = nullptr;
        server.watch_.end(connection.ticket);
        server.peers_.give(connection.address);
      }
    } unwatch{*this, connection};

    std::string local_address;
    int local_port = 0;
    httplib::detail::get_local_ip_and_port(sock, local_address, local_port);
    bool served = httplib::detail::process_server_socket(
        svr_sock_, sock, keep_alive_max_count_, keep_alive_timeout_sec_, read_timeout_sec_,
        read_timeout_usec_, write_timeout_sec_, write_timeout_usec_,
        [&](httplib::Stream& socket_stream, bool close_connection, bool& connection_closed) {
          connection.head_bytes = connection.body_left = 0;
          connection.screened = connection.refused = false;
          GuardedStream stream(socket_stream, connection);
          bool answered = process_request(
              stream, connection.address, port, local_address, local_port, close_connection,
              connection_closed, [](httplib::Request& request) {
                // Nothing here is served in ranges: a Range header is dropped,
                // so no answer is multiplied into parts.
                request.ranges.clear();
                request.headers.erase("Range");
              });
          if (stream.over_head() && log_) {
            log_(connection_refused_line(
                connection.peer, "request head larger than " +
                                     std::to_string(kMaxHeadBytes / 1024) + " KiB"));
          }
          // A request refused, by us or by the library before our checks,
          // ends the connection: what follows it on the wire is never read
          // as a request.
          if (!connection.screened || connection.refused) {
            connection_closed = true;
          }
          return answered;
        });
    if (connection.refused) close_after_refusal(sock);
    httplib::detail::shutdown_socket(sock);
    httplib::detail::close_socket(sock);
    return served;
  }

 private:
  void refuse(socket_t sock, const std::string& peer, const std::string& reason) {
    if (log_) log_(connection_refused_line(peer, reason));
    static constexpr std::string_view kBusy =
        "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 1\r\nContent-Length: 0\r\n"
        "Connection: close\r\n\r\n";
    httplib::detail::SocketStream stream(sock, 0, 0, 1, 0);
    stream.write(kBusy.data(), kBusy.size());
    httplib::detail::shutdown_socket(sock);
    httplib::detail::close_socket(sock);
  }

  ConnectionWatch& watch_;
  PeerSlots& peers_;
  ConnectionWatch::Log log_;
};

std::optional<std::string_view> header(const httplib::Request& request, const char* name) {
  if (!request.has_header(name)) return std::nullopt;
  auto range = request.headers.equal_range(name);
  return std::string_view(range.first->second);
}

BodyFraming framing_of(const httplib::Request& request) {
  std::vector<std::string_view> lengths;
  auto range = request.headers.equal_range("Content-Length");
  for (auto it = range.first; it != range.second; ++it) lengths.emplace_back(it->second);
  return body_framing(lengths, request.has_header("Transfer-Encoding"));
}

void send(httplib::Response& response, const HubReply& reply) {
  response.status = reply.status;
  if (reply.session_id) response.set_header("Mcp-Session-Id", *reply.session_id);
  if (reply.retry_after_seconds) {
    response.set_header("Retry-After", std::to_string(*reply.retry_after_seconds));
  }
  if (!reply.content_type.empty()) response.set_content(reply.body, reply.content_type.c_str());
}

}  // namespace

struct HttpFront::Impl {
  Impl(Dispatcher& dispatcher, SharedState& shared, Clock& clock, HttpOptions given)
      : options(std::move(given)),
        hub(dispatcher, shared, clock, options.hub),
        watch(options.deadlines, options.log),
        server(watch, peers, options.log) {}

  // The connection on this thread reached `phase`.
  void progress(ConnectionPhase phase) { WatchedServer::enter(watch, phase); }

  void log(const std::string& line) const {
    if (options.log) options.log(line);
  }

  httplib::Server::HandlerResponse screen(const httplib::Request& request,
                                          httplib::Response& response) {
    progress(ConnectionPhase::Transfer);  // the header is in; the body may follow
    RequestFacts facts{request.method,          request.path,
                       header(request, "Host"), header(request, "Origin"),
                       header(request, "Authorization"), framing_of(request)};
    if (t_connection) {
      t_connection->screened = true;
      t_connection->body_left = facts.framing.length.value_or(0);
    }
    std::optional<Refusal> refusal = refuse_request(options.security, facts);
    if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
    if (t_connection) t_connection->refused = true;
    log_refusal(request, refusal->reason);
    response.status = refusal->status;
    if (refusal->kind == RefusalKind::Unauthorized) {
      response.set_header("WWW-Authenticate", "Bearer");
    }
    if (refusal->kind == RefusalKind::MethodNotAllowed) {
      response.set_header("Allow", request.path == kHealthPath ? "GET" : "GET, POST, DELETE");
    }
    response.set_content(Json{{"error", refusal->reason}}.dump(), "application/json");
    return httplib::Server::HandlerResponse::Handled;
  }

  // Every field a peer chose is escaped: none can start a line of its own.
  void log_refusal(const httplib::Request& request, const std::string& reason) const {
    log("[mcp-http] refused " + log_field(request.method, 16) + " " + log_field(request.target) +
        " from " + log_field(request.remote_addr, 64) + ":" +
        std::to_string(request.remote_port) + ": " + log_field(reason));
  }

  void answer(const httplib::Request& request, httplib::Response& response,
              const HubReply& reply) const {
    if (!reply.refusal.empty()) log_refusal(request, reply.refusal);
    send(response, reply);
  }

  // While an authenticated call runs on this connection's thread, it may
  // wait: the thread's place in the pool and the connection's peer slot are
  // lent out meanwhile.
  class Lend {
   public:
    explicit Lend(Impl& impl)
        : lender_(impl.pool.load()), connection_(t_connection), peers_(impl.peers) {
      if (lender_) lender_->begin_call();
      if (connection_) peers_.give(connection_->address);
    }
    ~Lend() {
      if (connection_) peers_.take_back(connection_->address);
      if (lender_) lender_->end_call();
    }
    Lend(const Lend&) = delete;
    Lend& operator=(const Lend&) = delete;

   private:
    ConnectionPool* lender_;
    Connection* connection_;
    PeerSlots& peers_;
  };

  HubReply call(const httplib::Request& request) {
    Lend lend(*this);
    Connection* connection = t_connection;
    PostHeaders headers{header(request, "Mcp-Session-Id"), header(request, "MCP-Protocol-Version"),
                        header(request, "Mcp-Method"), header(request, "Mcp-Name")};
    PostContext context;
    context.can_stream = true;
    if (connection) {
      context.peer = connection->peer;
      // The client closed the connection (the response stream) it asked on.
      socket_t sock = connection->sock;
      context.abandoned = [sock] { return !httplib::detail::is_socket_alive(sock); };
    }
    return hub.post(headers, request.body, context);
  }

  // A call that asked for progress is answered as a stream of server-sent
  // events: its progress notifications, then its answer.
  void stream(httplib::Response& response, StreamedCall streamed) {
    response.status = 200;
    response.set_header("Cache-Control", "no-cache");
    response.set_header("X-Accel-Buffering", "no");  // proxies pass each event on at once
    response.set_chunked_content_provider(
        "text/event-stream", [this, streamed = std::move(streamed)](std::size_t,
                                                                    httplib::DataSink& sink) {
          progress(ConnectionPhase::Handling);  // the call runs while the stream is open
          Lend lend(*this);
          std::mutex writing;
          bool open = true;
          auto event = [&](const std::string& line) {
            std::lock_guard<std::mutex> hold(writing);
            std::string text = "event: message\ndata: " + line + "\n\n";
            open = open && sink.write(text.data(), text.size());
          };
          std::string last = streamed(event);
          if (!last.empty()) event(last);
          {
            std::lock_guard<std::mutex> hold(writing);
            open = false;
          }
          sink.done();
          progress(ConnectionPhase::Transfer);
          return true;
        });
  }

  void install() {
    server.new_task_queue = [this] {
      PoolLimits limits;
      limits.base_threads = kHttpThreads;
      limits.max_threads = kHttpMaxThreads;
      limits.max_queued = kHttpQueuedConnections;
      auto* created = new ConnectionPool(limits);
      pool.store(created);
      return created;
    };
    server.set_socket_options(exclusive_bind);
    server.set_read_timeout(kHttpReadTimeoutSeconds, 0);
    server.set_write_timeout(kHttpReadTimeoutSeconds, 0);
    server.set_keep_alive_timeout(
        std::chrono::duration_cast<std::chrono::seconds>(options.deadlines.idle).count());
    server.set_keep_alive_max_count(kHttpKeepAliveRequests);
    server.set_payload_max_length(kMaxBodyBytes);
    server.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
          return screen(request, response);
        });
    // A fault of ours is answered without its text, which stays in our log.
    server.set_exception_handler(
        [this](const httplib::Request& request, httplib::Response& response,
               std::exception_ptr fault) {
          std::string what = "unknown exception";
          try {
            std::rethrow_exception(fault);
          } catch (const std::exception& e) {
            what = e.what();
          } catch (...) {
          }
          log("[mcp-http] internal error serving " + log_field(request.method, 16) + " " +
              log_field(request.target) + ": " + log_field(what));
          response.status = 500;
          response.set_content(R"({"error":"internal error"})", "application/json");
        });
    server.Get(std::string(kHealthPath),
               [this](const httplib::Request&, httplib::Response& response) {
                 progress(ConnectionPhase::Handling);
                 response.set_content(R"({"status":"ok"})", "application/json");
               });
    // This server sends nothing unasked, so it offers no stream to GET.
    server.Get(std::string(kMcpPath), [](const httplib::Request&, httplib::Response& response) {
      response.status = 405;
      response.set_header("Allow", "POST, DELETE");
    });
    server.Post(std::string(kMcpPath),
                [this](const httplib::Request& request, httplib::Response& response) {
                  progress(ConnectionPhase::Handling);
                  HubReply reply = call(request);
                  if (reply.streamed) return stream(response, std::move(reply.streamed));
                  answer(request, response, reply);
                });
    server.Delete(std::string(kMcpPath),
                  [this](const httplib::Request& request, httplib::Response& response) {
                    progress(ConnectionPhase::Handling);
                    answer(request, response, hub.end(header(request, "Mcp-Session-Id")));
                  });
    // Every answer, refusals included, is written under the transfer deadline.
    server.set_post_routing_handler(
        [this](const httplib::Request&, httplib::Response&) {
          progress(ConnectionPhase::Transfer);
        });
    // Runs as each answer is written: a keep-alive connection may idle, then
    // its next header is due.
    server.set_logger([this](const httplib::Request&, const httplib::Response&) {
      progress(ConnectionPhase::NextHeader);
    });
  }

  // Ends idle sessions every half minute until stopped.
  void sweep() {
    std::unique_lock<std::mutex> hold(sweep_mutex);
    while (!stopping) {
      sweep_wake.wait_for(hold, std::chrono::seconds(30));
      if (stopping) break;
      hold.unlock();
      if (std::size_t ended = hub.expire_idle()) {
        log("[mcp-http] ended " + std::to_string(ended) + " idle session(s)");
      }
      hold.lock();
    }
  }

  HttpOptions options;
  SessionHub hub;
  ConnectionWatch watch;
  PeerSlots peers;
  WatchedServer server;
  // Made by the library when serving starts, owned and ended by it.
  std::atomic<ConnectionPool*> pool{nullptr};
  std::mutex sweep_mutex;
  std::condition_variable sweep_wake;
  bool stopping = false;
};

HttpFront::HttpFront(Dispatcher& dispatcher, SharedState& shared, Clock& clock,
                     HttpOptions options)
    : impl_(std::make_unique<Impl>(dispatcher, shared, clock, std::move(options))) {
  impl_->install();
}

HttpFront::~HttpFront() { stop(); }

SessionHub& HttpFront::hub() { return impl_->hub; }

Result<int, std::string> HttpFront::bind() {
  ListenAddress& listen = impl_->options.security.listen;
  if (listen.port == 0) {
    int port = impl_->server.bind_to_any_port(listen.host);
    if (port <= 0) return "cannot listen on " + listen.host + ": no port could be bound";
    listen.port = port;  // the Host check compares against the port bound
    return port;
  }
  if (!impl_->server.bind_to_port(listen.host, listen.port)) {
    return "cannot listen on " + listen.host + ":" + std::to_string(listen.port) +
           ": the address is in use or not this machine's";
  }
  return listen.port;
}

void HttpFront::serve() {
  std::thread sweeper([this] { impl_->sweep(); });
  impl_->server.listen_after_bind();
  {
    std::lock_guard<std::mutex> hold(impl_->sweep_mutex);
    impl_->stopping = true;
  }
  impl_->sweep_wake.notify_all();
  sweeper.join();
}

void HttpFront::stop() { impl_->server.stop(); }

}  // namespace winhelper::mcp
