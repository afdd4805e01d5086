#pragma once
// Turns one Request into exactly one Response: protocol version check, then
// the handler named by `cmd`. Runs on worker threads; keeps no state of its
// own beyond the command table, which is fixed before the service starts.

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "common/result.h"
#include "context/command_context.h"
#include "context/polled_command.h"
#include "protocol/request.h"
#include "service/scheduler.h"

namespace winhelper {

using Handler = std::function<Result<Json>(const Json& args, CommandContext& ctx)>;
using PolledHandler = std::function<PolledStart(const Json& args, CommandContext& ctx)>;
using Reply = std::function<void(Response)>;

// What one call brings besides its request, from the front end that took it.
struct CallOptions {
  // Raised when the caller withdrew the request (CommandContext::cancel);
  // must stay valid until the call is answered.
  const std::atomic<bool>* cancel = nullptr;
  // The budget a look's image is held to (CommandContext::image_budget).
  const ImageBudget* image_budget = nullptr;
  // Whose looks the command reads and keeps (CommandContext::session).
  ClientSession session = kDefaultSession;
  // Told, after each poll of a command that waits, how far it has come;
  // on the worker that ran the poll, always before the answer.
  std::function<void(const PollProgress&)> progress;
};

// What a command needs of the session it runs in.
enum class Needs { Desktop, Nothing };

class Dispatcher {
 public:
  explicit Dispatcher(CommandContext ctx) : ctx_(ctx) {}

  // Aliases register the same handler under each name.
  void add(std::string name, Handler handler, Needs needs = Needs::Desktop);
  // A command that waits, run as polls (see context/polled_command.h).
  void add_polled(std::string name, PolledHandler handler, Needs needs = Needs::Desktop);

  // Never fails; an exception escaping a handler becomes internal_error.
  // `options` are handed to the handler (CommandContext's cancel,
  // image_budget and session).
  // A polled command runs to its answer on the calling thread.
  Response dispatch(const Request& request, const CallOptions& options = {});

  // As dispatch, but a polled command holds no thread between its polls:
  // the first runs here, the others as jobs queued on `scheduler`'s timer.
  // `reply` is called exactly once, here or on a worker. Beyond the
  // scheduler's bound of pending waits a polled command is refused at once.
  void dispatch(const Request& request, const CallOptions& options, Scheduler& scheduler,
                Reply reply);

  // What the commands run with (the scheduler's timer follows its clock),
  // for front ends that keep per-client state.
  const CommandContext& context() const { return ctx_; }

 private:
  struct Entry {
    Handler handler;
    PolledHandler polled;
    Needs needs = Needs::Desktop;
  };
  // The error answer for a request that must not run, if any.
  std::optional<Response> refusal(const Request& request, const Entry*& entry) const;
  // Runs the command to its answer on the calling thread.
  Response run(const Entry& entry, const Request& request, const CallOptions& options);
  // The context a call's command runs with.
  CommandContext context_for(const CallOptions& options) const;

  CommandContext ctx_;
  std::map<std::string, Entry, std::less<>> table_;
};

}  // namespace winhelper
