#include "act/policy.h"

namespace winhelper {

Status require_physical_policy(ActPolicy policy) {
  if (policy == ActPolicy::Foreground) return ok_status();
  ErrorCode code =
      policy == ActPolicy::AxOnly ? ErrorCode::CoordinateBlocked : ErrorCode::ForegroundRequired;
  return HelperError{code, "Background policy blocks global Windows coordinate/raw input grounding"};
}

}  // namespace winhelper
