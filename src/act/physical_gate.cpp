#include "act/physical_gate.h"

#include "act/act_request.h"
#include "act/policy.h"
#include "act/physical_action.h"
#include "protocol/args.h"

namespace winhelper {

namespace {

bool always_policy_checked(const std::string& action) {
  return action == "drag" || action == "moveMouse" || action == "typeText" || action == "keypress";
}

}  // namespace

Result<Json> physical_gate(const Json& args, InputSink& sink) {
  auto request = parse_act_request(args);
  if (!request) return request.error();
  bool has_point = arg_member(args, "resolvedPoint") != nullptr;
  std::string_view grounding = has_point ? kGroundingCoordinates : kGroundingDescription;
  if (always_policy_checked(request->action) || has_point) {
    if (auto s = require_physical_policy(*request); !s) return s.error();
  }
  return perform_physical_action(*request, args, grounding, sink);
}

}  // namespace winhelper
