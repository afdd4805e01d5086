#include "mcp/http_front.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>

#include <httplib.h>

#include "mcp/connection_pool.h"
#include "mcp/socket_hold.h"

namespace winhelper::mcp {

namespace {

// The connection being served on this thread, for the hooks that mark its
// progress (they run on the thread that took it up).
thread_local std::uint64_t t_connection = 0;

// A server whose connections run under the watch's deadlines: each is
// watched from the moment a thread takes it up until it is closed.
class WatchedServer final : public httplib::Server {
 public:
  WatchedServer(ConnectionWatch& watch, ConnectionWatch::Log log)
      : watch_(watch), log_(std::move(log)) {}

  static void enter(ConnectionWatch& watch, ConnectionPhase phase) {
    if (t_connection != 0) watch.enter(t_connection, phase);
  }

 protected:
  bool process_and_close_socket(socket_t sock) override {
    std::string ip;
    int port = 0;
    httplib::detail::get_remote_ip_and_port(sock, ip, port);
    std::string peer = ip.empty() ? "" : ip + ":" + std::to_string(port);
    std::optional<SocketHold> hold = SocketHold::take(static_cast<std::uintptr_t>(sock));
    if (!hold) {
      // Out of handles: a connection that could not be cut off is not served.
      if (log_) log_(connection_refused_line(peer, "no socket handle left to watch it"));
      httplib::detail::shutdown_socket(sock);
      httplib::detail::close_socket(sock);
      return false;
    }
    t_connection = watch_.begin(std::move(*hold), std::move(peer));
    struct Unwatch {
      ConnectionWatch& watch;
      ~Unwatch() { watch.end(std::exchange(t_connection, 0)); }
    } unwatch{watch_};
    return httplib::Server::process_and_close_socket(sock);
  }

 private:
  ConnectionWatch& watch_;
  ConnectionWatch::Log log_;
};

std::optional<std::string_view> header(const httplib::Request& request, const char* name) {
  if (!request.has_header(name)) return std::nullopt;
  auto range = request.headers.equal_range(name);
  return std::string_view(range.first->second);
}

std::optional<std::size_t> content_length(const httplib::Request& request) {
  auto value = header(request, "Content-Length");
  if (!value) return std::nullopt;
  std::size_t out = 0;
  for (char c : *value) {
    if (c < '0' || c > '9') return std::nullopt;
    // Saturates: any absurd length is simply over the limit.
    out = out > kMaxBodyBytes * 10 ? out : out * 10 + static_cast<std::size_t>(c - '0');
  }
  return out;
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
        server(watch, options.log) {}

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
                       header(request, "Authorization"), content_length(request)};
    std::optional<Refusal> refusal = refuse_request(options.security, facts);
    if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
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

  void log_refusal(const httplib::Request& request, const std::string& reason) const {
    log("[mcp-http] refused " + request.method + " " + request.path + " from " +
        request.remote_addr + ":" + std::to_string(request.remote_port) + ": " + reason);
  }

  void answer(const httplib::Request& request, httplib::Response& response,
              const HubReply& reply) const {
    if (!reply.refusal.empty()) log_refusal(request, reply.refusal);
    send(response, reply);
  }

  void install() {
    server.new_task_queue = [] {
      PoolLimits limits;
      limits.max_threads = kHttpMaxThreads;
      limits.max_queued = kHttpQueuedConnections;
      return new ConnectionPool(limits);
    };
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
                  answer(request, response,
                         hub.post(header(request, "Mcp-Session-Id"),
                                  header(request, "MCP-Protocol-Version"), request.body));
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
    // Runs once a response was written: a keep-alive connection may idle,
    // then its next header is due. Oversized bodies sent without a length are
    // cut off by the library; those refusals are logged here.
    server.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
      progress(ConnectionPhase::NextHeader);
      // Refusals of the checks above carry a body and were logged already.
      if (response.status != 413 || !response.body.empty()) return;
      log_refusal(request, make_refusal(RefusalKind::PayloadTooLarge).reason);
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
  WatchedServer server;
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
