#include "mcp/jsonrpc.h"

#include <algorithm>

namespace winhelper::mcp {

namespace {

bool is_json_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Depth of the deepest array or object, counted outside strings; stops early
// once past the limit. Run before parsing so that a hostile message is
// refused without building its tree.
int nesting_depth(std::string_view text) {
  int depth = 0;
  int deepest = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
      if (deepest > kMaxNestingDepth) return deepest;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

// A request id is a string or an integer; MCP forbids null.
bool is_valid_id(const Json& id) {
  return id.is_string() || id.is_number_integer();
}

}  // namespace

RpcReadOutcome read_rpc_message(std::string_view line) {
  std::size_t begin = 0;
  while (begin < line.size() && is_json_space(line[begin])) ++begin;
  if (begin == line.size()) return RpcBlank{};

  if (nesting_depth(line) > kMaxNestingDepth) {
    return RpcFailure{nullptr, kParseError,
                      "Parse error: nesting deeper than " + std::to_string(kMaxNestingDepth)};
  }
  Json message;
  try {
    message = Json::parse(line.begin(), line.end());
  } catch (const Json::parse_error& e) {
    return RpcFailure{nullptr, kParseError,
                      "Parse error: not valid JSON (at byte " + std::to_string(e.byte) + ")"};
  } catch (const Json::out_of_range&) {
    // A number beyond the range of a double, such as 1e+9999.
    return RpcFailure{nullptr, kParseError, "Parse error: a number is too large"};
  } catch (const Json::exception&) {
    return RpcFailure{nullptr, kParseError, "Parse error: not valid JSON"};
  }
  if (message.is_array()) {
    return RpcFailure{nullptr, kInvalidRequest, "Invalid Request: batches are not supported"};
  }
  if (!message.is_object()) {
    return RpcFailure{nullptr, kInvalidRequest, "Invalid Request: a message must be an object"};
  }

  auto id_it = message.find("id");
  bool has_id = id_it != message.end();
  Json id = has_id && is_valid_id(*id_it) ? *id_it : Json(nullptr);
  auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0") {
    return RpcFailure{id, kInvalidRequest, "Invalid Request: jsonrpc must be \"2.0\""};
  }

  auto method = message.find("method");
  if (method == message.end()) {
    if (message.contains("result") || message.contains("error")) {
      return RpcMessage{RpcMessage::Kind::Reply, id, {}, nullptr};
    }
    return RpcFailure{id, kInvalidRequest, "Invalid Request: method is missing"};
  }
  if (!method->is_string()) {
    return RpcFailure{id, kInvalidRequest, "Invalid Request: method must be a string"};
  }
  if (has_id && !is_valid_id(*id_it)) {
    return RpcFailure{nullptr, kInvalidRequest,
                      "Invalid Request: id must be a string or an integer"};
  }
  RpcMessage out;
  out.kind = has_id ? RpcMessage::Kind::Request : RpcMessage::Kind::Notification;
  out.id = std::move(id);
  out.method = method->get<std::string>();
  if (auto params = message.find("params"); params != message.end()) out.params = *params;
  return out;
}

const Json* request_meta(const RpcMessage& message) {
  if (!message.params.is_object()) return nullptr;
  auto meta = message.params.find("_meta");
  if (meta == message.params.end() || !meta->is_object()) return nullptr;
  return &*meta;
}

std::string dump_json(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string rpc_result_line(const Json& id, const Json& result) {
  Json line = {{"jsonrpc", "2.0"}, {"id", id}, {"result", result}};
  return dump_json(line);
}

std::string rpc_error_line(const Json& id, const RpcError& error) {
  Json body = {{"code", error.code}, {"message", error.message}};
  if (!error.data.is_null()) body["data"] = error.data;
  return dump_json(Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", std::move(body)}});
}

std::string rpc_error_line(const Json& id, int code, std::string_view message) {
  return rpc_error_line(id, RpcError{code, std::string(message)});
}

}  // namespace winhelper::mcp
