#include "mcp/progress.h"

#include "mcp/jsonrpc.h"

namespace winhelper::mcp {

Json progress_token(const RpcMessage& message) {
  const Json* meta = request_meta(message);
  if (!meta) return nullptr;
  auto token = meta->find("progressToken");
  if (token == meta->end() || !(token->is_string() || token->is_number_integer())) return nullptr;
  return *token;
}

void ProgressNotifier::operator()(const PollProgress& progress) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (withdrawn_ && withdrawn_->load(std::memory_order_acquire)) return;
  // Progress must grow from one notification to the next, and a wait polled
  // every few milliseconds must not flood the client.
  if (last_sent_ms_ >= 0 && progress.waited_ms < last_sent_ms_ + kProgressEveryMs) return;
  last_sent_ms_ = progress.waited_ms;
  Json params = {{"progressToken", token_},
                 {"progress", progress.waited_ms},
                 {"total", progress.total_ms},
                 {"message", "Waited " + std::to_string(progress.waited_ms / 1000) + " s of " +
                                 std::to_string(progress.total_ms / 1000) + " s" +
                                 (progress.output_bytes
                                      ? "; " + std::to_string(*progress.output_bytes) +
                                            " bytes of output"
                                      : std::string())}};
  send_(dump_json(Json{{"jsonrpc", "2.0"},
                       {"method", "notifications/progress"},
                       {"params", std::move(params)}}));
}

}  // namespace winhelper::mcp
