#include "act/policy.h"

namespace winhelper {

Status require_physical_policy(const ActRequest& request) {
  if (request.policy == kPolicyForeground) return ok_status();
  ErrorCode code = request.policy == kPolicyAxOnly ? ErrorCode::CoordinateBlocked
                                                   : ErrorCode::ForegroundRequired;
  return HelperError{code, "Background policy blocks global Windows coordinate/raw input grounding"};
}

}  // namespace winhelper
