#include "service/dispatcher.h"

#include <exception>
#include <memory>

namespace winhelper {

namespace {

HelperError unexpected(const std::string& cmd, const std::exception* e) {
  HelperError error = internal_error(
      "command '" + cmd + "' failed unexpectedly: " + (e ? e->what() : "unknown exception"));
  error.thrown = true;
  return error;
}

// Runs `body`, turning an escaping exception into internal_error.
template <typename T, typename Body>
Result<T> guarded(const std::string& cmd, Body&& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    return unexpected(cmd, &e);
  } catch (...) {
    return unexpected(cmd, nullptr);
  }
}

Response answer(const std::string& id, Result<Json> outcome) {
  if (outcome.ok()) return Response::success(id, std::move(outcome).value());
  return Response::failure(id, outcome.take_error());
}

// A polled command between its polls: what the next one needs and whom to answer.
struct PendingPoll {
  CommandContext ctx;
  std::unique_ptr<PolledCommand> command;
  std::string id;
  std::string cmd;
  Scheduler& scheduler;
  Reply reply;
  std::function<void(const PollProgress&)> progress;
};

void poll_once(std::shared_ptr<PendingPoll> pending) {
  Result<PollStep> polled =
      guarded<PollStep>(pending->cmd, [&] { return pending->command->poll(pending->ctx); });
  PollStep step = polled ? std::move(polled).value() : PollStep::done(polled.take_error());
  if (!step.answer) {
    if (pending->progress) {
      if (auto progress = pending->command->progress(pending->ctx.platform.clock.now_ms())) {
        pending->progress(*progress);
      }
    }
    Scheduler& scheduler = pending->scheduler;
    std::int64_t delay = step.again_in_ms;
    scheduler.submit_after(
        delay, [pending = std::move(pending)]() mutable { poll_once(std::move(pending)); });
    return;
  }
  pending->reply(answer(pending->id, std::move(*step.answer)));
  pending->scheduler.end_wait();
}

}  // namespace

void Dispatcher::add(std::string name, Handler handler, Needs needs) {
  table_.insert_or_assign(std::move(name), Entry{std::move(handler), nullptr, needs});
}

void Dispatcher::add_polled(std::string name, PolledHandler handler, Needs needs) {
  table_.insert_or_assign(std::move(name), Entry{nullptr, std::move(handler), needs});
}

std::optional<Response> Dispatcher::refusal(const Request& request, const Entry*& entry) const {
  if (request.protocol_version != kProtocolVersion) {
    return Response::failure(
        request.id, invalid_request("Unsupported Windows helper protocol " +
                                    std::to_string(request.protocol_version) + "; expected " +
                                    std::to_string(kProtocolVersion) +
                                    ". Restart Orvel to use the installed helper."));
  }
  auto it = table_.find(request.cmd);
  if (it == table_.end()) {
    return Response::failure(
        request.id, {ErrorCode::UnsupportedCommand, "Unknown command '" + request.cmd + "'"});
  }
  entry = &it->second;
  if (entry->needs == Needs::Desktop && ctx_.platform.desktop != nullptr) {
    if (auto absence = desktop_absence(ctx_.platform.desktop->read())) {
      return Response::failure(request.id, desktop_absent_error(*absence));
    }
  }
  return std::nullopt;
}

CommandContext Dispatcher::context_for(const CallOptions& options) const {
  CommandContext ctx = ctx_;
  ctx.cancel = options.cancel;
  ctx.image_budget = options.image_budget;
  ctx.session = options.session;
  return ctx;
}

Response Dispatcher::run(const Entry& entry, const Request& request, const CallOptions& options) {
  CommandContext ctx = context_for(options);
  return answer(request.id, guarded<Json>(request.cmd, [&] {
                  if (entry.polled) return poll_to_answer(entry.polled(request.args, ctx), ctx);
                  return entry.handler(request.args, ctx);
                }));
}

Response Dispatcher::dispatch(const Request& request, const CallOptions& options) {
  const Entry* entry = nullptr;
  if (auto refused = refusal(request, entry)) return std::move(*refused);
  return run(*entry, request, options);
}

void Dispatcher::dispatch(const Request& request, const CallOptions& options, Scheduler& scheduler,
                          Reply reply) {
  const Entry* entry = nullptr;
  if (auto refused = refusal(request, entry)) return reply(std::move(*refused));
  if (!entry->polled) return reply(run(*entry, request, options));
  if (!scheduler.begin_wait()) {
    return reply(Response::failure(
        request.id, invalid_request("Too many waits pending: at most " +
                                    std::to_string(scheduler.max_pending()) +
                                    " run at once. Retry once one has answered, or cancel one.")));
  }
  CommandContext ctx = context_for(options);
  auto started = guarded<std::unique_ptr<PolledCommand>>(
      request.cmd, [&] { return entry->polled(request.args, ctx); });
  if (!started) {
    reply(Response::failure(request.id, started.take_error()));
    scheduler.end_wait();
    return;
  }
  poll_once(std::make_shared<PendingPoll>(PendingPoll{ctx, std::move(started).value(), request.id,
                                                      request.cmd, scheduler, std::move(reply),
                                                      options.progress}));
}

}  // namespace winhelper
