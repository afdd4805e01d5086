#pragma once
// One MCP client's protocol state and the handling of its messages, shared
// by both transports: the handshake, pings and tool listings are answered at
// once; a tool call is prepared here (checked, registered for cancellation)
// and run by the transport on a thread of its choosing.

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <variant>

#include "mcp/call_table.h"
#include "mcp/jsonrpc.h"
#include "mcp/tools.h"
#include "service/dispatcher.h"

namespace winhelper::mcp {

// tools/list's result without the operator's disabled tools.
Json tool_listing(const std::set<std::string>& disabled);

class RpcSession {
 public:
  // A checked tool call, registered in the call table until it is run.
  struct PendingCall {
    const Tool* tool = nullptr;
    std::shared_ptr<CallTable::Call> call;
    Json id;
    Request request;
  };
  // The answer line of a request handled at once, or the call to run.
  using Step = std::variant<std::string, PendingCall>;

  explicit RpcSession(std::set<std::string> disabled);

  Step on_request(const RpcMessage& message);
  // notifications/cancelled withdraws a call; other notifications are ignored.
  void on_notification(const RpcMessage& message);
  // Runs the call's command for `session`; its answer line, or empty when the
  // call was cancelled (its answer is then not sent).
  std::string run(Dispatcher& dispatcher, PendingCall& pending,
                  ClientSession session = kDefaultSession);
  // Withdraws every call in progress (the session ended).
  void cancel_all() { calls_.cancel_all(); }

  bool initialized() const { return initialized_.load(std::memory_order_acquire); }

 private:
  std::string initialize(const RpcMessage& m);
  Step prepare_call(const RpcMessage& m);

  const std::set<std::string> disabled_;
  const Json listing_;
  CallTable calls_;
  std::mutex initialize_mutex_;
  std::atomic<bool> initialized_{false};
};

}  // namespace winhelper::mcp
