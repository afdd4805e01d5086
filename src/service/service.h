#pragma once
// The helper's process loop: the reader thread parses lines and queues
// requests, eight workers run them through the dispatcher, and every response
// is written as one whole line under the output lock. A wait holds a worker
// only while it polls (see scheduler.h).

#include "service/dispatcher.h"
#include "service/streams.h"

namespace winhelper {

inline constexpr int kWorkerCount = 8;

// Runs until end of input (every queued request is answered) or a read error
// (answered once; then, as at end of input, every request already read is
// still run and answered). Returns when all workers have finished.
void run_service(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher,
                 int workers = kWorkerCount);

}  // namespace winhelper
