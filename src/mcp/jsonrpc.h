#pragma once
// JSON-RPC 2.0 framing for the MCP server: one message per line. Reads a
// line into a request, a notification or a reply from the client, or into
// the error to answer it with; writes result and error lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "protocol/request.h"

namespace winhelper::mcp {

enum RpcErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
};

// Deepest nesting of arrays and objects accepted in one message.
inline constexpr int kMaxNestingDepth = 128;

struct RpcMessage {
  enum class Kind { Request, Notification, Reply };
  Kind kind = Kind::Request;
  Json id;  // a string or an integer, exactly as received (Request only)
  std::string method;
  Json params;  // null when absent
};

// A message that cannot be handled: answered with `id` (null when the id
// could not be read) and the error.
struct RpcFailure {
  Json id;
  int code = kInvalidRequest;
  std::string message;
};

// A line of white space only: nothing is answered.
struct RpcBlank {};

using RpcReadOutcome = std::variant<RpcBlank, RpcMessage, RpcFailure>;

RpcReadOutcome read_rpc_message(std::string_view line);

// A request's `params._meta`, when it has one that is an object.
const Json* request_meta(const RpcMessage& message);

// An error of a request, with the HTTP status it is answered with over HTTP.
struct RpcError {
  int code = kInvalidRequest;
  std::string message;
  Json data;  // null when none
  int http_status = 200;
};

// Compact lines, without their line feed. Invalid UTF-8 in strings is
// replaced, so writing never fails.
std::string rpc_error_line(const Json& id, const RpcError& error);
std::string rpc_result_line(const Json& id, const Json& result);
std::string rpc_error_line(const Json& id, int code, std::string_view message);

// JSON text for messages and logs, never throwing on invalid UTF-8.
std::string dump_json(const Json& value);

}  // namespace winhelper::mcp
