#include "act/physical_gate.h"

#include "act/physical_action.h"
#include "act/policy.h"

namespace winhelper {

namespace {

bool always_policy_checked(ActAction action) {
  return action == ActAction::Drag || action == ActAction::MoveMouse ||
         action == ActAction::TypeText || action == ActAction::Keypress;
}

}  // namespace

Result<Json> physical_gate(const ActRequest& request, const PhysicalTarget& target,
                           InputSink& sink) {
  if (always_policy_checked(request.action) || target.grounding == Grounding::Coordinates) {
    if (auto s = require_physical_policy(request.policy); !s) return s.error();
  }
  return perform_physical_action(request, target, sink);
}

}  // namespace winhelper
