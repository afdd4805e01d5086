#include "mcp/server.h"

#include <cstdio>
#include <exception>

#include "mcp/jsonrpc.h"
#include "mcp/progress.h"
#include "mcp/rpc_session.h"
#include "service/line_reader.h"
#include "service/line_writer.h"
#include "service/scheduler.h"

namespace winhelper::mcp {

namespace {

// One client's session, driven by the reader thread. Only tool calls leave
// that thread: their jobs touch the writer and the RPC session's call table,
// each safe to share. The scheduler is the last member, so it is joined
// (every pending wait answered) before anything its jobs use goes away.
class Session {
 public:
  Session(Dispatcher& dispatcher, LineWriter& writer, const ServerOptions& options,
          std::function<void(const std::string&)> log)
      : dispatcher_(dispatcher),
        writer_(writer),
        log_(std::move(log)),
        image_budget_(options.image_budget),
        rpc_(options.disabled_tools),
        scheduler_(options.workers, dispatcher.context().platform.clock) {}

  // End of input: every call already read still runs and is answered.
  void finish() { scheduler_.close_and_join(); }

  void handle_line(std::string_view line) {
    Json id;  // the request's, once read
    try {
      RpcReadOutcome outcome = read_rpc_message(line);
      if (auto* failure = std::get_if<RpcFailure>(&outcome)) {
        return error(failure->id, failure->code, failure->message);
      }
      auto* message = std::get_if<RpcMessage>(&outcome);
      if (!message) return;
      switch (message->kind) {
        case RpcMessage::Kind::Request:
          id = message->id;
          handle_request(*message);
          break;
        case RpcMessage::Kind::Notification:
          rpc_.on_notification(*message);
          break;
        case RpcMessage::Kind::Reply:
          log_("[mcp] ignored a reply from the client: this server sends no requests");
          break;
      }
    } catch (const std::exception& e) {
      // A fault of this server, not of the message: reported, and reading goes on.
      log_(std::string("[mcp] message not handled: ") + e.what());
      // The client gets our words; the library's text stays in the log.
      error(id, kInternalError, "Internal error: the message could not be handled");
    }
  }

  void error(const Json& id, int code, std::string_view message) {
    writer_.write_line(rpc_error_line(id, code, message));
  }

 private:
  void handle_request(const RpcMessage& m) {
    RpcSession::Step step = rpc_.on_request(m);
    if (auto* reply = std::get_if<RpcSession::Reply>(&step)) {
      return writer_.write_line(std::move(reply->line));
    }
    auto pending = std::make_shared<RpcSession::PendingCall>(
        std::get<RpcSession::PendingCall>(std::move(step)));
    scheduler_.submit([this, pending] {
      // A call cancelled while queued never runs.
      if (rpc_.withdrawn(*pending)) return rpc_.drop(*pending);
      // A wait holds no worker between its polls: its answer comes from
      // whichever worker runs the last one.
      CallOptions options{&pending->call->cancelled, &image_budget_};
      if (!pending->progress_token.is_null()) {
        auto notifier = std::make_shared<ProgressNotifier>(
            pending->progress_token,
            [this](std::string line) { writer_.write_line(std::move(line)); },
            &pending->call->cancelled);
        options.progress = [notifier](const PollProgress& p) { (*notifier)(p); };
      }
      try {
        dispatcher_.dispatch(pending->request, options, scheduler_,
                             [this, pending](Response response) {
                               std::set<std::string> secret =
                                   password_refs(*pending->tool, response,
                                                 dispatcher_.context().shared, kDefaultSession);
                               std::string line =
                                   rpc_.answer(*pending, std::move(response), secret);
                               if (!line.empty()) writer_.write_line(std::move(line));
                             });
      } catch (const std::exception& e) {
        // Escaping the worker would end the server and every call's answer.
        log_(std::string("[mcp] call not run: ") + e.what());
        std::string line = rpc_.internal_failure(*pending);
        if (!line.empty()) writer_.write_line(std::move(line));
      }
    });
  }

  Dispatcher& dispatcher_;
  LineWriter& writer_;
  std::function<void(const std::string&)> log_;
  const ImageBudget image_budget_;
  RpcSession rpc_;
  Scheduler scheduler_;
};

void log_to_stderr(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

void run_mcp_server(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher,
                    const ServerOptions& options) {
  LineWriter writer(output);
  auto log = options.log ? options.log : std::function<void(const std::string&)>(log_to_stderr);
  Session session(dispatcher, writer, options, log);

  LineReader reader(input, {options.max_message_bytes, /*require_utf8=*/false});
  for (;;) {
    LineReader::Next next = reader.next();
    if (next.status == LineReader::Status::End) break;
    if (next.status == LineReader::Status::Error) {
      log("[mcp] standard input failed: " + next.error);
      break;
    }
    if (next.status == LineReader::Status::TooLong) {
      session.error(nullptr, kInvalidRequest,
                    "Invalid Request: message longer than " +
                        std::to_string(options.max_message_bytes) + " bytes");
      continue;
    }
    session.handle_line(next.line);
  }
  session.finish();
}

}  // namespace winhelper::mcp
