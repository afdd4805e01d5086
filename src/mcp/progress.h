#pragma once
// Progress of a tool call that waits, for a client that asked for it with a
// progress token: notifications/progress lines, at most one per second of
// waiting, none once the call is withdrawn.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "context/polled_command.h"
#include "mcp/jsonrpc.h"
#include "protocol/request.h"

namespace winhelper::mcp {

// The progress token of a request, when it asked for progress (a string or
// an integer in its `_meta`); null otherwise.
Json progress_token(const RpcMessage& message);

// Least waiting time between two notifications of one call.
inline constexpr std::int64_t kProgressEveryMs = 1000;

class ProgressNotifier {
 public:
  // `send` takes each notification line; `withdrawn` is the call's flag.
  ProgressNotifier(Json token, std::function<void(std::string)> send,
                   const std::atomic<bool>* withdrawn)
      : token_(std::move(token)), send_(std::move(send)), withdrawn_(withdrawn) {}

  void operator()(const PollProgress& progress);

 private:
  const Json token_;
  const std::function<void(std::string)> send_;
  const std::atomic<bool>* const withdrawn_;
  std::mutex mutex_;
  std::int64_t last_sent_ms_ = -1;
};

}  // namespace winhelper::mcp
