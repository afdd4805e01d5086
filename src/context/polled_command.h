#pragma once
// Commands that wait (for an element, for a launched window) answer after a
// series of short polls. Between polls they hold no thread: the front end
// runs each poll as its own job and queues the next one on a timer, so any
// number of pending waits leaves the workers to other requests.

#include <cstdint>
#include <memory>
#include <optional>

#include "common/result.h"
#include "context/command_context.h"
#include "protocol/request.h"

namespace winhelper {

// What one poll decided: the command's answer, or the delay before the next poll.
struct PollStep {
  std::optional<Result<Json>> answer;
  std::int64_t again_in_ms = 0;

  static PollStep done(Result<Json> answer) { return {std::move(answer), 0}; }
  static PollStep again(std::int64_t ms) { return {std::nullopt, ms}; }
};

class PolledCommand {
 public:
  virtual ~PolledCommand() = default;
  // One poll; never sleeps. A withdrawn request (ctx.cancelled()) answers at
  // its next poll; that answer is not sent.
  virtual PollStep poll(CommandContext& ctx) = 0;
};

// Reads the arguments and does what comes before the first poll; an error
// here is the command's answer.
using PolledStart = Result<std::unique_ptr<PolledCommand>>;

// Runs a polled command to its answer on the calling thread, sleeping on the
// platform clock between polls: for callers that hold a thread anyway.
Result<Json> poll_to_answer(PolledStart started, CommandContext& ctx);

}  // namespace winhelper
