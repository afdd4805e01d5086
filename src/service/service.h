#pragma once
// The helper's process loop: the reader thread parses lines and queues
// requests, eight workers run them through the dispatcher, and every response
// is written as one whole line under the output lock.

#include <mutex>
#include <string_view>

#include "protocol/request.h"
#include "service/dispatcher.h"
#include "service/streams.h"

namespace winhelper {

inline constexpr int kWorkerCount = 8;

// Serialises responses onto the output, one line each, never interleaved.
class ResponseWriter {
 public:
  explicit ResponseWriter(ByteOutput& output) : output_(output) {}
  // Write failures (a closed pipe) are ignored: the helper carries on.
  void write(const Response& response);

 private:
  ByteOutput& output_;
  std::mutex mutex_;
};

// Runs until end of input (every queued request is answered) or a read error
// (answered once; then, as at end of input, every request already read is
// still run and answered). Returns when all workers have finished.
void run_service(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher,
                 int workers = kWorkerCount);

}  // namespace winhelper
