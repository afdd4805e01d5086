#pragma once
// One MCP client's protocol state and the handling of its messages, shared
// by both transports: the handshake, pings and tool listings are answered at
// once; a tool call is prepared here (checked, registered for cancellation)
// and run by the transport on a thread of its choosing. Requests of the
// stateless era (modern.h) are served beside the legacy session: they need
// no handshake and change nothing of its state.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <variant>

#include "mcp/call_table.h"
#include "mcp/jsonrpc.h"
#include "mcp/tools.h"
#include "context/helper_state.h"
#include "service/dispatcher.h"

namespace winhelper::mcp {

// tools/list's result without the operator's disabled tools.
Json tool_listing(const std::set<std::string>& disabled);

// The password fields of the look that a look call answered with, read from
// its session's store; empty for other calls.
std::set<std::string> password_refs(const Tool& tool, const Response& response,
                                    SharedState& shared, ClientSession session);

class RpcSession {
 public:
  // A checked tool call, registered in the call table until it is run.
  struct PendingCall {
    const Tool* tool = nullptr;
    std::shared_ptr<CallTable::Call> call;
    Json id;
    Request request;
    // Asked in the stateless era: its result is shaped as that era's.
    bool modern = false;
    // The client's, when it asked to hear how a wait goes; null otherwise.
    Json progress_token;
  };
  // The answer line of a request handled at once, and the HTTP status it
  // goes with over HTTP.
  struct Reply {
    std::string line;
    int http_status = 200;
    // Why, when the status refuses the request (for the transport's log).
    std::string refusal;
  };
  // A request's answer, or the call to run.
  using Step = std::variant<Reply, PendingCall>;

  explicit RpcSession(std::set<std::string> disabled);

  // `call_prefix` sets calls of different callers apart that share this
  // object but not their ids (stateless callers over HTTP).
  Step on_request(const RpcMessage& message, std::string_view call_prefix = {});
  // A request the transport found to be of the stateless era (its headers
  // say so), whatever its body claims.
  Step on_stateless_request(const RpcMessage& message, std::string_view call_prefix) {
    return on_modern_request(message, call_prefix);
  }
  // notifications/cancelled withdraws a call; other notifications are ignored.
  void on_notification(const RpcMessage& message);
  // Whether the call was withdrawn before it ran: it must not run then, and
  // drop ends it.
  bool withdrawn(const PendingCall& pending) const {
    return pending.call->cancelled.load(std::memory_order_acquire);
  }
  void drop(PendingCall& pending) { calls_.finish(pending.request.id); }
  // The answer line for the call's response, or empty when the call was
  // withdrawn meanwhile (its answer is then not sent). Ends the call.
  // `secret_refs` (password_refs) are named in a look's outline text.
  std::string answer(PendingCall& pending, Response response,
                     const std::set<std::string>& secret_refs = {});
  // The answer line for a call whose command could not be run because this
  // server failed (an exception), or empty as for `answer`. Ends the call.
  std::string internal_failure(PendingCall& pending);
  // Runs the call's command with the call's own cancel flag in `options`,
  // and gives its answer as `answer` does. The calling thread waits for the
  // answer; a command that waits polls on `scheduler` meanwhile and counts
  // against its bound of pending waits. For a remote client: a command that
  // threw is answered without the exception's text, which goes to
  // `log_fault` instead. A throw of the dispatcher itself ends the call and
  // passes on. While it waits, `abandoned` (when given) is asked every
  // tenth of a second whether the client went away; the call is then
  // withdrawn, and its answer is not given.
  std::string run(Dispatcher& dispatcher, Scheduler& scheduler, PendingCall& pending,
                  CallOptions options, const std::function<void(const std::string&)>& log_fault,
                  const std::function<bool()>& abandoned = {});
  // Withdraws every call in progress (the session ended).
  void cancel_all() { calls_.cancel_all(); }

  bool initialized() const { return initialized_.load(std::memory_order_acquire); }

 private:
  std::string initialize(const RpcMessage& m);
  Step on_modern_request(const RpcMessage& m, std::string_view call_prefix);
  Step prepare_call(const RpcMessage& m, std::string_view call_prefix, bool modern);
  // The version initialize agreed on; empty before.
  std::string_view negotiated() const {
    return initialized() ? std::string_view(negotiated_) : std::string_view();
  }

  const std::set<std::string> disabled_;
  const Json listing_;
  CallTable calls_;
  std::mutex initialize_mutex_;
  std::atomic<bool> initialized_{false};
  std::string negotiated_;  // written once, before initialized_
};

}  // namespace winhelper::mcp
