#pragma once
// Commands that wait (for an element, for a launched window) answer after a
// series of short polls. Between polls they hold no thread: the front end
// runs each poll as its own job and queues the next one on a timer, so any
// number of pending waits leaves the workers to other requests.

#include <algorithm>
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

// How far a wait has come: the time waited so far, of the most it waits.
struct PollProgress {
  std::int64_t waited_ms = 0;
  std::int64_t total_ms = 0;
  // Bytes of output so far, for a command that produces output.
  std::optional<std::uint64_t> output_bytes;

  bool operator==(const PollProgress&) const = default;

  // A wait that started at `started_ms` and ends at `deadline_ms` at the latest.
  static PollProgress between(std::int64_t started_ms, std::int64_t deadline_ms,
                              std::int64_t now_ms) {
    std::int64_t total = std::max<std::int64_t>(deadline_ms - started_ms, 0);
    return {std::clamp<std::int64_t>(now_ms - started_ms, 0, total), total};
  }
};

class PolledCommand {
 public:
  virtual ~PolledCommand() = default;
  // How far it has come at `now_ms`, for callers that show progress; none
  // when the command cannot tell.
  virtual std::optional<PollProgress> progress(std::int64_t /*now_ms*/) const {
    return std::nullopt;
  }
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
