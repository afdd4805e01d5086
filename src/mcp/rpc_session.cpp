#include "mcp/rpc_session.h"

#include <chrono>
#include <exception>
#include <future>

#include "mcp/argument_check.h"
#include "mcp/lifecycle.h"
#include "mcp/modern.h"
#include "mcp/progress.h"
#include "mcp/tool_results.h"

namespace winhelper::mcp {

Json tool_listing(const std::set<std::string>& disabled) {
  Json tools = Json::array();
  for (const Tool& tool : tool_table()) {
    if (!disabled.contains(tool.name)) tools.push_back(tool_description(tool));
  }
  return {{"tools", std::move(tools)}};
}

RpcSession::RpcSession(std::set<std::string> disabled)
    : disabled_(std::move(disabled)), listing_(tool_listing(disabled_)) {}

std::string RpcSession::initialize(const RpcMessage& m) {
  std::lock_guard<std::mutex> hold(initialize_mutex_);
  if (initialized())
    return rpc_error_line(m.id, kInvalidRequest, "initialize was already received");
  auto result = initialize_result(m.params);
  if (!result) return rpc_error_line(m.id, kInvalidParams, result.error().message);
  negotiated_ = (*result)["protocolVersion"].get<std::string>();
  initialized_.store(true, std::memory_order_release);
  return rpc_result_line(m.id, *result);
}

RpcSession::Step RpcSession::on_request(const RpcMessage& m, std::string_view call_prefix) {
  if (is_modern_request(m, negotiated())) return on_modern_request(m, call_prefix);
  if (m.method == "initialize") return Reply{initialize(m)};
  if (m.method == "ping") return Reply{rpc_result_line(m.id, Json::object())};
  if (m.method != "tools/list" && m.method != "tools/call") {
    return Reply{rpc_error_line(m.id, kMethodNotFound, "Method not found: " + m.method)};
  }
  if (!initialized()) {
    return Reply{
        rpc_error_line(m.id, kInvalidRequest, "Server not initialized: send initialize first")};
  }
  if (m.method == "tools/list") return Reply{rpc_result_line(m.id, listing_)};
  return prepare_call(m, call_prefix, /*modern=*/false);
}

RpcSession::Step RpcSession::on_modern_request(const RpcMessage& m,
                                               std::string_view call_prefix) {
  auto refuse = [&](const RpcError& error) {
    return Reply{rpc_error_line(m.id, error), error.http_status, error.message};
  };
  if (auto error = check_modern_meta(m)) return refuse(*error);
  if (!is_modern_method(m.method)) return refuse(modern_method_not_found(m.method));
  if (m.method == "server/discover") return Reply{rpc_result_line(m.id, discover_result())};
  if (m.method == "tools/list") {
    return Reply{rpc_result_line(m.id, modern_result(listing_, /*cacheable=*/true))};
  }
  return prepare_call(m, call_prefix, /*modern=*/true);
}

void RpcSession::on_notification(const RpcMessage& m) {
  if (m.method != "notifications/cancelled" || !m.params.is_object()) return;
  auto request_id = m.params.find("requestId");
  if (request_id != m.params.end()) calls_.cancel(dump_json(*request_id));
}

RpcSession::Step RpcSession::prepare_call(const RpcMessage& m, std::string_view call_prefix,
                                          bool modern) {
  auto fail = [&](std::string_view text) {
    return Reply{rpc_error_line(m.id, kInvalidParams, text)};
  };
  if (!m.params.is_object()) return fail("tools/call requires params");
  auto name = m.params.find("name");
  if (name == m.params.end() || !name->is_string()) {
    return fail("tools/call requires params.name (a string)");
  }
  const Tool* tool = find_tool(name->get<std::string>());
  if (!tool) return fail("Unknown tool: " + name->get<std::string>());
  if (disabled_.contains(tool->name)) {
    return fail("Tool disabled by the server's operator: " + tool->name);
  }
  Json arguments = Json::object();
  if (auto given = m.params.find("arguments"); given != m.params.end() && !given->is_null()) {
    if (!given->is_object()) return fail("tools/call params.arguments must be an object");
    arguments = *given;
  }
  // Arguments that break the schema are a tool error, which the model sees
  // and can correct.
  if (auto fault = check_arguments(tool->argument_schema, arguments)) {
    Json result = tool_error_result(error_code_name(ErrorCode::InvalidRequest),
                                    "Invalid arguments for " + tool->name + ": " + *fault);
    if (modern) result = modern_result(std::move(result), /*cacheable=*/false);
    return Reply{rpc_result_line(m.id, result)};
  }
  std::string id_text = dump_json(m.id);
  std::string key = std::string(call_prefix) + id_text;
  auto call = calls_.start(key);
  if (!call) {
    return Reply{rpc_error_line(
        m.id, kInvalidRequest, "Invalid Request: id " + id_text + " belongs to a call still in progress")};
  }
  return PendingCall{tool, std::move(call), m.id,
                     Request{kProtocolVersion, key, tool->command, std::move(arguments)}, modern,
                     progress_token(m)};
}

std::set<std::string> password_refs(const Tool& tool, const Response& response,
                                    SharedState& shared, ClientSession session) {
  std::set<std::string> refs;
  const Json* result = std::get_if<Json>(&response.body);
  if (tool.rendering != Rendering::Look || !result || !result->is_object()) return refs;
  auto look_id = result->find("lookId");
  if (look_id == result->end() || !look_id->is_string()) return refs;
  auto state = shared.state.lock();
  if (!state) return refs;
  std::optional<Look> look = (*state)->looks_of(session).find(look_id->get<std::string>());
  if (!look) return refs;
  for (const auto& [ref, record] : look->elements) {
    if (record.is_password) refs.insert(ref);
  }
  return refs;
}

std::string RpcSession::answer(PendingCall& pending, Response response,
                               const std::set<std::string>& secret_refs) {
  std::string line;
  try {
    Json result = tool_result(*pending.tool, std::move(response), secret_refs);
    if (pending.modern) result = modern_result(std::move(result), /*cacheable=*/false);
    line = rpc_result_line(pending.id, result);
  } catch (const std::exception&) {
    line = rpc_error_line(pending.id, kInternalError,
                          "Internal error: the tool's result could not be written");
  }
  if (!calls_.finish(pending.request.id)) line.clear();
  return line;
}

std::string RpcSession::internal_failure(PendingCall& pending) {
  std::string line =
      rpc_error_line(pending.id, kInternalError, "Internal error: the tool could not be run");
  if (!calls_.finish(pending.request.id)) line.clear();
  return line;
}

std::string RpcSession::run(Dispatcher& dispatcher, Scheduler& scheduler, PendingCall& pending,
                            CallOptions options,
                            const std::function<void(const std::string&)>& log_fault,
                            const std::function<bool()>& abandoned) {
  if (withdrawn(pending)) {
    drop(pending);
    return {};
  }
  options.cancel = &pending.call->cancelled;
  std::promise<Response> answered;
  std::future<Response> response = answered.get_future();
  try {
    dispatcher.dispatch(pending.request, options, scheduler,
                        [&answered](Response r) { answered.set_value(std::move(r)); });
  } catch (...) {
    // Its id is free again for the client's retry.
    drop(pending);
    throw;
  }
  // The command's answer is always awaited, even for a withdrawn call: its
  // callback writes into this frame.
  constexpr auto kPoll = std::chrono::milliseconds(100);
  while (abandoned && response.wait_for(kPoll) != std::future_status::ready) {
    if (abandoned()) {
      pending.call->cancelled.store(true, std::memory_order_release);
      break;
    }
  }
  Response got = response.get();
  if (auto* error = std::get_if<HelperError>(&got.body); error && error->thrown) {
    log_fault("tools/call " + pending.tool->name + " failed: " + dump_json(error->message));
    error->message = "The tool failed unexpectedly; the server's log has the details";
    error->thrown = false;
  }
  std::set<std::string> secret =
      password_refs(*pending.tool, got, dispatcher.context().shared, options.session);
  return answer(pending, std::move(got), secret);
}

}  // namespace winhelper::mcp
