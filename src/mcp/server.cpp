#include "mcp/server.h"

#include <cstdio>
#include <exception>

#include "mcp/argument_check.h"
#include "mcp/call_table.h"
#include "mcp/jsonrpc.h"
#include "mcp/lifecycle.h"
#include "mcp/tool_results.h"
#include "mcp/tools.h"
#include "service/line_reader.h"
#include "service/line_writer.h"
#include "service/scheduler.h"

namespace winhelper::mcp {

namespace {

Json tool_listing(const std::set<std::string>& disabled) {
  Json tools = Json::array();
  for (const Tool& tool : tool_table()) {
    if (!disabled.contains(tool.name)) tools.push_back(tool_description(tool));
  }
  return {{"tools", std::move(tools)}};
}

// One client's session, driven by the reader thread. Only tool calls leave
// that thread: their jobs touch the writer, the call table and the
// dispatcher, each safe to share. The scheduler is the last member, so it is
// joined (every pending wait answered) before anything its jobs use goes away.
class Session {
 public:
  Session(Dispatcher& dispatcher, LineWriter& writer, const ServerOptions& options,
          std::function<void(const std::string&)> log)
      : dispatcher_(dispatcher),
        writer_(writer),
        log_(std::move(log)),
        image_budget_(options.image_budget),
        disabled_(options.disabled_tools),
        listing_(tool_listing(disabled_)),
        scheduler_(options.workers, dispatcher.clock()) {}

  // End of input: every call already read still runs and is answered.
  void finish() { scheduler_.close_and_join(); }

  void handle_line(std::string_view line) {
    RpcReadOutcome outcome = read_rpc_message(line);
    if (auto* failure = std::get_if<RpcFailure>(&outcome)) {
      error(failure->id, failure->code, failure->message);
    } else if (auto* message = std::get_if<RpcMessage>(&outcome)) {
      switch (message->kind) {
        case RpcMessage::Kind::Request:
          handle_request(*message);
          break;
        case RpcMessage::Kind::Notification:
          handle_notification(*message);
          break;
        case RpcMessage::Kind::Reply:
          log_("[mcp] ignored a reply from the client: this server sends no requests");
          break;
      }
    }
  }

  void error(const Json& id, int code, std::string_view message) {
    writer_.write_line(rpc_error_line(id, code, message));
  }

 private:
  void handle_request(const RpcMessage& m) {
    if (m.method == "initialize") {
      if (initialized_) return error(m.id, kInvalidRequest, "initialize was already received");
      auto result = initialize_result(m.params);
      if (!result) return error(m.id, kInvalidParams, result.error().message);
      initialized_ = true;
      return writer_.write_line(rpc_result_line(m.id, *result));
    }
    if (m.method == "ping") return writer_.write_line(rpc_result_line(m.id, Json::object()));
    if (m.method != "tools/list" && m.method != "tools/call") {
      return error(m.id, kMethodNotFound, "Method not found: " + m.method);
    }
    if (!initialized_) {
      return error(m.id, kInvalidRequest, "Server not initialized: send initialize first");
    }
    if (m.method == "tools/list") return writer_.write_line(rpc_result_line(m.id, listing_));
    call_tool(m);
  }

  void handle_notification(const RpcMessage& m) {
    if (m.method != "notifications/cancelled" || !m.params.is_object()) return;
    auto request_id = m.params.find("requestId");
    if (request_id != m.params.end()) calls_.cancel(dump_json(*request_id));
  }

  void call_tool(const RpcMessage& m) {
    if (!m.params.is_object()) return error(m.id, kInvalidParams, "tools/call requires params");
    auto name = m.params.find("name");
    if (name == m.params.end() || !name->is_string()) {
      return error(m.id, kInvalidParams, "tools/call requires params.name (a string)");
    }
    const Tool* tool = find_tool(name->get<std::string>());
    if (!tool) return error(m.id, kInvalidParams, "Unknown tool: " + name->get<std::string>());
    if (disabled_.contains(tool->name)) {
      return error(m.id, kInvalidParams, "Tool disabled by the server's operator: " + tool->name);
    }
    Json arguments = Json::object();
    if (auto given = m.params.find("arguments"); given != m.params.end() && !given->is_null()) {
      if (!given->is_object()) {
        return error(m.id, kInvalidParams, "tools/call params.arguments must be an object");
      }
      arguments = *given;
    }
    // Arguments that break the schema are a tool error, which the model sees
    // and can correct.
    if (auto fault = check_arguments(tool->argument_schema, arguments)) {
      Json result = tool_error_result(error_code_name(ErrorCode::InvalidRequest),
                                      "Invalid arguments for " + tool->name + ": " + *fault);
      return writer_.write_line(rpc_result_line(m.id, result));
    }

    std::string key = dump_json(m.id);
    auto call = calls_.start(key);
    if (!call) {
      return error(m.id, kInvalidRequest,
                   "Invalid Request: id " + key + " belongs to a call still in progress");
    }
    Request request{kProtocolVersion, key, tool->command, std::move(arguments)};
    scheduler_.submit([this, tool, call, key = std::move(key), id = m.id,
                       request = std::move(request)] {
      // A call cancelled while queued never runs.
      if (call->cancelled.load(std::memory_order_acquire)) {
        calls_.finish(key);
        return;
      }
      dispatcher_.dispatch(request, {&call->cancelled, &image_budget_}, scheduler_,
                           [this, tool, call, key, id](Response response) {
                             answer(key, id, *tool, std::move(response));
                           });
    });
  }

  // The call's one line, unless it was cancelled.
  void answer(const std::string& key, const Json& id, const Tool& tool, Response response) {
    std::string line;
    try {
      line = rpc_result_line(id, tool_result(tool, std::move(response)));
    } catch (const std::exception&) {
      line = rpc_error_line(id, kInternalError, "Internal error: the tool's result could not be written");
    }
    if (calls_.finish(key)) writer_.write_line(std::move(line));
  }

  Dispatcher& dispatcher_;
  LineWriter& writer_;
  std::function<void(const std::string&)> log_;
  const ImageBudget image_budget_;
  CallTable calls_;
  const std::set<std::string> disabled_;
  const Json listing_;
  bool initialized_ = false;
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
    try {
      session.handle_line(next.line);
    } catch (const std::exception& e) {
      // A fault of this server, not of the message: reported, and reading goes on.
      log(std::string("[mcp] message not handled: ") + e.what());
      // The client gets our words; the library's text stays in the log.
      session.error(nullptr, kInternalError, "Internal error: the message could not be handled");
    }
  }
  session.finish();
}

}  // namespace winhelper::mcp
