#include "act/act_command.h"

#include <optional>

#include "act/act_request.h"
#include "act/act_routes.h"
#include "act/root_delta_step.h"
#include "observe/look_access.h"
#include "context/refs.h"
#include "protocol/args.h"

namespace winhelper {

namespace {

bool defers_root_delta(const Json& args) {
  const Json* value = arg_member(args, "deferRootDelta");
  return value && value->is_boolean() && value->get<bool>();
}

}  // namespace

Result<Json> run_act(const ActRequest& request, bool defer_root_delta, CommandContext& ctx) {
  auto found = find_look(ctx.shared, request.look_id, ctx.session);
  if (!found) return found.take_error();
  if (!found->has_value()) {
    return HelperError{ErrorCode::StaleLook, look_unavailable_message(request.look_id)};
  }
  const Look& look = **found;

  std::uint64_t pid = request.pid.value_or(look.pid);
  if (pid == 0 && !request.pid) {
    return invalid_request("act requires pid or observed root pid for root deltas");
  }

  std::optional<RootDeltaBaseline> baseline;
  if (!defer_root_delta) {
    auto taken = take_root_delta_baseline(ctx, pid);
    if (!taken) return taken.take_error();
    baseline = std::move(*taken);
  }

  auto result =
      request.is_point() ? act_on_point(request, look, ctx) : act_on_ref(request, look, ctx);
  if (!result) return result;
  if (baseline) attach_root_delta(ctx, *baseline, *result);
  return result;
}

Result<Json> act_command(const Json& args, CommandContext& ctx) {
  auto request = parse_act_request(args);
  if (!request) return request.take_error();
  return run_act(*request, defers_root_delta(args), ctx);
}

}  // namespace winhelper
