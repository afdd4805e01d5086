#pragma once
// Turns one Request into exactly one Response: protocol version check, then
// the handler named by `cmd`. Runs on worker threads; keeps no state of its
// own beyond the command table, which is fixed before the service starts.

#include <atomic>
#include <functional>
#include <map>
#include <string>

#include "common/result.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

using Handler = std::function<Result<Json>(const Json& args, CommandContext& ctx)>;

class Dispatcher {
 public:
  explicit Dispatcher(CommandContext ctx) : ctx_(ctx) {}

  // Aliases register the same handler under each name.
  void add(std::string name, Handler handler);

  // Never fails; an exception escaping a handler becomes internal_error.
  // `cancel`, when given, is handed to the handler (CommandContext::cancel).
  // `session` picks the look history the command uses.
  Response dispatch(const Request& request, const std::atomic<bool>* cancel = nullptr,
                    ClientSession session = kDefaultSession);

  // What the commands run with, for front ends that keep per-client state.
  const CommandContext& context() const { return ctx_; }

 private:
  CommandContext ctx_;
  std::map<std::string, Handler, std::less<>> table_;
};

}  // namespace winhelper
