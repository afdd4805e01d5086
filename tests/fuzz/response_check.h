#pragma once
// Checks that one output line is a well-formed response: a single compact
// JSON object, written exactly as the writer must write it (protocolVersion
// 4, id, ok, then result or error {message, code}), every object inside the
// result with its keys in ascending byte order, valid UTF-8, no line break.

#include <optional>
#include <string>
#include <string_view>

namespace winhelper::fuzz {

struct CheckedResponse {
  std::string id;
  bool ok = false;
  std::string code;     // error responses only
  std::string message;  // error responses only
};

// The response's parts, or a description of the first fault found.
struct ResponseCheck {
  std::optional<CheckedResponse> response;
  std::string fault;
};

ResponseCheck check_response_line(std::string_view line);

// The error codes a response may carry.
bool is_known_error_code(std::string_view code);

}  // namespace winhelper::fuzz
