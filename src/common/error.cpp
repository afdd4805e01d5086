#include "common/error.h"

namespace winhelper {

std::string_view error_code_name(ErrorCode code) {
  switch (code) {
    case ErrorCode::CapabilityDeferred: return "capability_deferred";
    case ErrorCode::UnsupportedCommand: return "unsupported_command";
    case ErrorCode::InvalidRequest: return "invalid_request";
    case ErrorCode::TargetNotFound: return "target_not_found";
    case ErrorCode::InternalError: return "internal_error";
    case ErrorCode::UnsupportedPlatform: return "unsupported_platform";
    case ErrorCode::CaptureFailed: return "capture_failed";
    case ErrorCode::StaleLook: return "stale_look";
    case ErrorCode::StaleRef: return "stale_ref";
    case ErrorCode::CoordinateUnavailableForRoot: return "coordinate_unavailable_for_root";
    case ErrorCode::CoordinateBlocked: return "coordinate_blocked";
    case ErrorCode::ForegroundRequired: return "foreground_required";
    case ErrorCode::OccludedTarget: return "occluded_target";
    case ErrorCode::SecureTextUnreadable: return "secure_text_unreadable";
  }
  return "internal_error";
}

}  // namespace winhelper
