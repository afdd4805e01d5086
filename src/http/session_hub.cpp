#include "http/session_hub.h"

#include <algorithm>
#include <vector>

#include "common/os_random.h"
#include "mcp/lifecycle.h"
#include "mcp/progress.h"

namespace winhelper::mcp {

namespace {

constexpr const char* kJson = "application/json";
// 128 bits from the OS random source, as 32 hex digits.
constexpr std::size_t kSessionIdBytes = 16;

HubReply json_reply(int status, std::string body) {
  return {status, kJson, std::move(body)};
}

HubReply rpc_error_reply(int status, const Json& id, int code, std::string_view message) {
  HubReply reply = json_reply(status, rpc_error_line(id, code, message));
  reply.refusal = std::string(message);
  return reply;
}

HubReply accepted() {
  return {202, "", ""};
}

// The id an error answer to `message` carries: a request's own; null for a
// notification or a reply, which are not requests.
const Json& answer_id(const RpcMessage& message) {
  static const Json kNone;
  return message.kind == RpcMessage::Kind::Request ? message.id : kNone;
}

// The log line of a request this server failed to handle; its method cut
// short, both quoted so that neither can forge a line.
std::string fault_line(const RpcMessage* message, std::string_view what) {
  constexpr std::size_t kMethodShown = 64;
  std::string method = message ? message->method.substr(0, kMethodShown) : "a message";
  return "[mcp-http] " + dump_json(method) + " not handled: " + dump_json(std::string(what));
}

}  // namespace

SessionHub::SessionHub(Dispatcher& dispatcher, SharedState& shared, Clock& clock,
                       HubOptions options)
    : dispatcher_(dispatcher),
      shared_(shared),
      clock_(clock),
      options_(std::move(options)),
      stateless_(options_.disabled_tools),
      scheduler_(kHubPollWorkers, dispatcher.context().platform.clock) {}

SessionHub::~SessionHub() {
  std::lock_guard<std::mutex> hold(mutex_);
  for (auto& [id, session] : sessions_) close(*session);
  sessions_.clear();
  stateless_.cancel_all();
}

std::size_t SessionHub::size() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return sessions_.size();
}

HubReply SessionHub::post(const PostHeaders& headers, std::string_view body,
                          PostContext context) {
  RpcReadOutcome outcome;
  const RpcMessage* message = nullptr;  // once read
  try {
    outcome = read_rpc_message(body);
    if (std::holds_alternative<RpcBlank>(outcome)) {
      return rpc_error_reply(400, nullptr, kInvalidRequest, "Invalid Request: the body is empty");
    }
    if (auto* failure = std::get_if<RpcFailure>(&outcome)) {
      return rpc_error_reply(400, failure->id, failure->code, failure->message);
    }
    message = &std::get<RpcMessage>(outcome);
    return post_message(headers, *message, context);
  } catch (const std::exception& e) {
    log(fault_line(message, e.what()));
  } catch (...) {
    log(fault_line(message, "an unknown exception"));
  }
  // A fault of this server: the client gets our words, the exception's text
  // stays in the local log.
  return rpc_error_reply(500, message ? answer_id(*message) : Json(nullptr), kInternalError,
                         "Internal error: the request could not be handled");
}

HubReply SessionHub::post_message(const PostHeaders& headers, const RpcMessage& message,
                                  const PostContext& context) {
  const auto& session_id = headers.session_id;
  const auto& protocol_version = headers.protocol_version;
  if (!session_id && message.kind == RpcMessage::Kind::Request && message.method == "initialize" &&
      !is_modern_request(message)) {
    return open_session(message, context.peer);
  }
  // Without a session, a body or header naming a protocol version asks for
  // the stateless era; a session's requests keep to their own.
  if (!session_id && (meta_protocol_version(message) || protocol_version == kModernVersion)) {
    return post_stateless(headers, message, context);
  }
  const Json& id = answer_id(message);
  if (!session_id) {
    return rpc_error_reply(400, id, kInvalidRequest,
                           "Bad Request: Mcp-Session-Id header is required; send initialize "
                           "first");
  }
  if (protocol_version && std::find(kProtocolVersions.begin(), kProtocolVersions.end(),
                                    *protocol_version) == kProtocolVersions.end()) {
    return rpc_error_reply(
        400, id, kInvalidRequest,
        "Bad Request: unsupported MCP-Protocol-Version " + std::string(*protocol_version));
  }
  std::shared_ptr<Session> session = take_session(*session_id, context.peer);
  if (!session) {
    return rpc_error_reply(404, id, kInvalidRequest,
                           "Session not found: it ended or never existed; initialize again");
  }
  return handle(session, message, context);
}

HubReply SessionHub::post_stateless(const PostHeaders& headers, const RpcMessage& message,
                                    const PostContext& context) {
  // The stateless era has the client cancel by closing the stream, and
  // defines nothing else a client may tell: a notification is taken and
  // left.
  if (message.kind != RpcMessage::Kind::Request) return accepted();
  auto refuse = [&](const RpcError& error) {
    HubReply reply = json_reply(error.http_status, rpc_error_line(message.id, error));
    reply.refusal = error.message;
    return reply;
  };
  if (auto error = check_mirrored_headers(headers, message)) return refuse(*error);
  // Ids are the caller's own, and callers are many: each call gets a key of
  // its own.
  std::string prefix =
      "stateless-" + std::to_string(next_stateless_call_.fetch_add(1, std::memory_order_relaxed)) +
      ":";
  RpcSession::Step step = stateless_.on_stateless_request(message, prefix);
  if (auto* reply = std::get_if<RpcSession::Reply>(&step)) {
    HubReply answer = json_reply(reply->http_status, std::move(reply->line));
    answer.refusal = std::move(reply->refusal);
    return answer;
  }
  return run_call(stateless_, std::get<RpcSession::PendingCall>(std::move(step)),
                  {nullptr, &options_.image_budget, stateless_key_}, context, nullptr);
}

HubReply SessionHub::run_call(RpcSession& rpc, RpcSession::PendingCall pending,
                              CallOptions options, const PostContext& context,
                              std::shared_ptr<void> hold, std::function<void()> after) {
  // Only a stateless call ends with its client's connection.
  std::function<bool()> abandoned = pending.modern ? context.abandoned : nullptr;
  auto call = std::make_shared<RpcSession::PendingCall>(std::move(pending));
  // A streamed call the transport drops unrun frees its id all the same.
  auto ran = std::make_shared<bool>(false);
  std::shared_ptr<void> unrun(nullptr, [&rpc, call, ran](void*) {
    if (!*ran) rpc.drop(*call);
  });
  auto run = [this, &rpc, call, options, abandoned, hold = std::move(hold), ran, unrun,
              after = std::move(after)](const std::function<void(std::string)>& progress) mutable {
    *ran = true;
    if (progress && !call->progress_token.is_null()) {
      auto notifier = std::make_shared<ProgressNotifier>(call->progress_token, progress,
                                                         &call->call->cancelled);
      options.progress = [notifier](const PollProgress& p) { (*notifier)(p); };
    }
    std::string line = rpc.run(
        dispatcher_, scheduler_, *call, options,
        [this](const std::string& fault) { log("[mcp-http] " + fault); }, abandoned);
    if (after) after();
    hold.reset();
    return line;
  };
  if (context.can_stream && !call->progress_token.is_null()) {
    HubReply reply{200, "text/event-stream", ""};
    reply.streamed = std::move(run);
    return reply;
  }
  std::string line = run(nullptr);
  // A withdrawn call's answer is not sent: nobody is left to read it.
  if (line.empty()) return accepted();
  return json_reply(200, std::move(line));
}

HubReply SessionHub::open_session(const RpcMessage& initialize, std::string_view peer) {
  std::optional<std::string> id = random_hex(kSessionIdBytes);
  if (!id) {
    return rpc_error_reply(500, initialize.id, kInternalError,
                           "Internal error: the system's random source failed");
  }
  expire_idle();
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (sessions_.size() >= options_.max_sessions && idle_victim() == sessions_.end()) {
      return sessions_busy(initialize.id);
    }
    session = std::make_shared<Session>(options_.disabled_tools, next_key_++);
  }
  std::string line = std::get<RpcSession::Reply>(session->rpc.on_request(initialize)).line;
  // A refused handshake (bad params) opens no session and ends none.
  if (!session->rpc.initialized()) return json_reply(200, std::move(line));
  std::shared_ptr<Session> evicted;
  std::string eviction;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    // Checked again: others may have taken places or started calls meanwhile.
    if (sessions_.size() >= options_.max_sessions) {
      auto victim = idle_victim();
      if (victim == sessions_.end()) return sessions_busy(initialize.id);
      evicted = std::move(victim->second);
      sessions_.erase(victim);
      eviction = "[mcp-http] ended the least recently used session, last used from " +
                 (evicted->peer.empty() ? std::string("an unknown peer") : evicted->peer) + " " +
                 std::to_string((clock_.now_ms() - evicted->last_used_ms) / 1000) +
                 " s ago, to make room for a new one";
    }
    session->peer = std::string(peer);
    touch(*session);
    sessions_.emplace(*id, session);
  }
  if (evicted) {
    close(*evicted);
    log(eviction);
  }
  HubReply reply = json_reply(200, std::move(line));
  reply.session_id = std::move(id);
  return reply;
}

SessionHub::Sessions::iterator SessionHub::idle_victim() {
  auto victim = sessions_.end();
  for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
    if (it->second->running > 0) continue;
    if (victim == sessions_.end() || it->second->last_use < victim->second->last_use) victim = it;
  }
  return victim;
}

HubReply SessionHub::sessions_busy(const Json& id) const {
  HubReply busy = rpc_error_reply(503, id, kInternalError,
                                  "Server busy: all " + std::to_string(options_.max_sessions) +
                                      " sessions have calls in progress; retry later");
  busy.retry_after_seconds = kSessionsBusyRetrySeconds;
  return busy;
}

HubReply SessionHub::handle(const std::shared_ptr<Session>& session, const RpcMessage& message,
                            const PostContext& context) {
  // Released however the handling ends, streamed calls once they ended: a
  // session left counted as busy could never be evicted or expire.
  std::shared_ptr<void> release(nullptr,
                                [this, session](void*) { release_session(session); });
  switch (message.kind) {
    case RpcMessage::Kind::Notification:
      session->rpc.on_notification(message);
      return accepted();
    case RpcMessage::Kind::Reply:
      return accepted();
    case RpcMessage::Kind::Request:
      break;
  }
  RpcSession::Step step = session->rpc.on_request(message);
  if (auto* reply = std::get_if<RpcSession::Reply>(&step)) {
    return json_reply(reply->http_status, std::move(reply->line));
  }
  // A look stored by a call that outlived its session goes with it.
  auto forget_if_ended = [this, session] {
    if (session->ended.load(std::memory_order_acquire)) {
      if (auto state = shared_.state.lock()) (*state)->forget_session(session->key);
    }
  };
  return run_call(session->rpc, std::get<RpcSession::PendingCall>(std::move(step)),
                  {nullptr, &options_.image_budget, session->key}, context, std::move(release),
                  forget_if_ended);
}

std::shared_ptr<SessionHub::Session> SessionHub::take_session(std::string_view id,
                                                              std::string_view peer) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = sessions_.find(id);
  if (it == sessions_.end()) return nullptr;
  ++it->second->running;
  touch(*it->second);
  if (!peer.empty()) it->second->peer = std::string(peer);
  return it->second;
}

void SessionHub::release_session(const std::shared_ptr<Session>& session) {
  std::lock_guard<std::mutex> hold(mutex_);
  --session->running;
  touch(*session);
}

void SessionHub::touch(Session& session) {
  session.last_used_ms = clock_.now_ms();
  session.last_use = ++next_use_;
}

HubReply SessionHub::end(std::optional<std::string_view> session_id) {
  if (!session_id) {
    return rpc_error_reply(400, nullptr, kInvalidRequest,
                           "Bad Request: Mcp-Session-Id header is required");
  }
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    auto it = sessions_.find(*session_id);
    if (it == sessions_.end()) {
      return rpc_error_reply(404, nullptr, kInvalidRequest, "Session not found");
    }
    session = std::move(it->second);
    sessions_.erase(it);
  }
  close(*session);
  return {200, "", ""};
}

std::size_t SessionHub::expire_idle() {
  std::vector<std::shared_ptr<Session>> expired;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    std::int64_t now = clock_.now_ms();
    for (auto it = sessions_.begin(); it != sessions_.end();) {
      if (it->second->running == 0 && now - it->second->last_used_ms > options_.idle_ms) {
        expired.push_back(std::move(it->second));
        it = sessions_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& session : expired) close(*session);
  return expired.size();
}

void SessionHub::close(Session& session) {
  session.ended.store(true, std::memory_order_release);
  session.rpc.cancel_all();
  if (auto state = shared_.state.lock()) (*state)->forget_session(session.key);
}

}  // namespace winhelper::mcp
