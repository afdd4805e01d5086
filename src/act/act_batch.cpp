#include "act/act_batch.h"

#include "act/act_command.h"
#include "act/act_routes.h"
#include "act/root_delta_step.h"
#include "observe/look_access.h"
#include "context/refs.h"
#include "protocol/args.h"

namespace winhelper {

namespace {

bool element_needs_input(ActAction action, const ElementRecord& record) {
  bool browser = is_browser_like(record.class_descriptor);
  switch (action) {
    case ActAction::SetText:
      return browser || !record.can_set_value;
    case ActAction::Press:
    case ActAction::Click:
      return browser || !record.can_press;
    case ActAction::Scroll:
      return !record.can_scroll;
    default:
      return true;
  }
}

Json error_step(const HelperError& error) {
  return Json{{"outcome", "didnt"},
              {"error", Json{{"code", error_code_name(error.code)}, {"message", error.message}}}};
}

bool outcome_is(const Json& step, std::string_view outcome) {
  const Json* value = arg_member(step, "outcome");
  return value && value->is_string() && value->get_ref<const std::string&>() == outcome;
}

// Parses every entry and checks that they share one pid and one look, in
// the order whose first failure is reported.
Result<std::vector<ActRequest>> validate_actions(const Json& args) {
  const Json* actions = arg_array(args, "actions");
  if (!actions) return invalid_request("actBatch requires actions");
  if (actions->empty() || actions->size() > kMaxBatchActions) {
    return invalid_request("actBatch requires 1...20 actions");
  }
  auto first = parse_act_request(actions->front());
  if (!first) return first.take_error();
  if (!first->pid) return invalid_request("actBatch actions require pid");

  std::vector<ActRequest> parsed;
  for (const Json& entry : *actions) {
    auto request = parse_act_request(entry);
    if (!request) return request.take_error();
    if (request->pid != first->pid) return invalid_request("actBatch actions must target one pid");
    if (request->look_id != first->look_id) {
      return invalid_request("actBatch actions must belong to one look");
    }
    parsed.push_back(std::move(*request));
  }
  return parsed;
}

}  // namespace

bool batch_needs_physical_lock(const std::vector<ActRequest>& actions, const Look& look) {
  for (const ActRequest& request : actions) {
    if (request.policy != ActPolicy::Foreground) continue;
    if (request.is_point()) return true;
    auto found = look.elements.find(request.ref_target()->ref);
    if (found == look.elements.end()) continue;
    if (element_needs_input(request.action, found->second)) return true;
  }
  return false;
}

BatchSteps run_batch_steps(const std::vector<ActRequest>& actions, CommandContext& ctx) {
  BatchSteps steps;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    auto result = run_act(actions[i], true, ctx);
    if (!result) {
      steps.results.push_back(error_step(result.error()));
      steps.stopped_at = i;
      break;
    }
    bool didnt = outcome_is(*result, "didnt");
    steps.results.push_back(std::move(*result));
    if (didnt) {
      steps.stopped_at = i;
      break;
    }
  }
  return steps;
}

std::string fold_batch_outcome(const std::vector<Json>& steps) {
  bool unknown = false;
  for (const Json& step : steps) {
    if (outcome_is(step, "didnt")) return "didnt";
    if (outcome_is(step, "unknown")) unknown = true;
  }
  return unknown ? "unknown" : "worked";
}

Result<Json> act_batch_command(const Json& args, CommandContext& ctx) {
  auto parsed = validate_actions(args);
  if (!parsed) return parsed.take_error();
  const std::vector<ActRequest>& actions = *parsed;
  const std::uint64_t pid = *actions.front().pid;
  const std::string& look_id = actions.front().look_id;

  auto baseline = take_root_delta_baseline_snapshot_first(ctx, pid);
  if (!baseline) return baseline.take_error();

  auto found = find_look(ctx.shared, look_id, ctx.session);
  if (!found) return found.take_error();
  if (!found->has_value()) return HelperError{ErrorCode::StaleLook, kOwningLookUnavailable};

  BatchSteps steps;
  if (batch_needs_physical_lock(actions, **found)) {
    // One hold for the whole run: no other request's input can come between
    // two steps, and the steps' own physical sections do not lock again.
    auto hold = ctx.shared.input.acquire();
    if (!hold) return hold.take_error();
    steps = run_batch_steps(actions, ctx);
  } else {
    steps = run_batch_steps(actions, ctx);
  }

  Json result = Json::object();
  result["outcome"] = fold_batch_outcome(steps.results);
  result["performed"] = Json{{"actionCount", steps.results.size()}, {"transaction", true}};
  if (steps.stopped_at) result["stoppedAt"] = *steps.stopped_at;
  result["steps"] = Json(std::move(steps.results));
  attach_root_delta(ctx, *baseline, result);
  return result;
}

}  // namespace winhelper
