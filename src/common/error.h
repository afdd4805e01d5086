#pragma once
// The closed set of error codes and the error value every handler returns
// instead of a result.

#include <string>
#include <string_view>

namespace winhelper {

enum class ErrorCode {
  CapabilityDeferred,
  UnsupportedCommand,
  InvalidRequest,
  TargetNotFound,
  InternalError,
  UnsupportedPlatform,
  CaptureFailed,
  StaleLook,
  StaleRef,
  CoordinateUnavailableForRoot,
  CoordinateBlocked,
  ForegroundRequired,
  OccludedTarget,
  SecureTextUnreadable,
};

// The lower_snake_case wire name of a code.
std::string_view error_code_name(ErrorCode code);

struct HelperError {
  ErrorCode code = ErrorCode::InternalError;
  std::string message;
  // Raised by an exception: the message carries the exception's text, which
  // a front end serving remote clients keeps to its local log.
  bool thrown = false;

  bool operator==(const HelperError&) const = default;
};

inline HelperError invalid_request(std::string message) {
  return {ErrorCode::InvalidRequest, std::move(message)};
}
inline HelperError internal_error(std::string message) {
  return {ErrorCode::InternalError, std::move(message)};
}
inline HelperError target_not_found(std::string message) {
  return {ErrorCode::TargetNotFound, std::move(message)};
}

}  // namespace winhelper
