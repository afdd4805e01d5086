#include "act/act_request.h"

#include <array>
#include <utility>

#include "protocol/args.h"

namespace winhelper {

namespace {

std::optional<std::string> non_empty_string(const Json& args, std::string_view key) {
  auto value = arg_string(args, key);
  if (!value || value->empty()) return std::nullopt;
  return value;
}

std::optional<std::uint64_t> non_negative_integer(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  if (!v) return std::nullopt;
  if (v->is_number_unsigned()) return v->get<std::uint64_t>();
  if (v->is_number_integer()) {
    auto i = v->get<std::int64_t>();
    if (i >= 0) return static_cast<std::uint64_t>(i);
  }
  return std::nullopt;
}

std::optional<ActTarget> read_target(const Json& target) {
  if (auto ref = arg_string(target, "ref")) return RefTarget{*ref};
  auto x = arg_f64(target, "x");
  auto y = arg_f64(target, "y");
  if (x && y) return PointTarget{*x, *y};
  return std::nullopt;
}

}  // namespace

ActAction parse_act_action(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, ActAction>, 8> kActions{{
      {"press", ActAction::Press},
      {"click", ActAction::Click},
      {"scroll", ActAction::Scroll},
      {"setText", ActAction::SetText},
      {"typeText", ActAction::TypeText},
      {"keypress", ActAction::Keypress},
      {"drag", ActAction::Drag},
      {"moveMouse", ActAction::MoveMouse},
  }};
  for (const auto& [known, action] : kActions) {
    if (name == known) return action;
  }
  return ActAction::Unsupported;
}

ActPolicy parse_act_policy(std::string_view name) {
  if (name == "foreground") return ActPolicy::Foreground;
  if (name == "ax_only") return ActPolicy::AxOnly;
  return ActPolicy::Default;
}

Result<ActRequest> parse_act_request(const Json& args) {
  ActRequest request;
  auto look_id = non_empty_string(args, "lookId");
  if (!look_id) return invalid_request("act requires lookId");
  request.look_id = std::move(*look_id);

  auto action = non_empty_string(args, "action");
  if (!action) return invalid_request("act requires action");
  request.action = parse_act_action(*action);
  request.action_name = std::move(*action);

  request.policy = parse_act_policy(arg_string(args, "policy").value_or(""));

  const Json* target = arg_member(args, "target");
  if (!target) return invalid_request("act requires target");
  auto parsed_target = read_target(*target);
  if (!parsed_target) return invalid_request("act target must include ref or x/y");
  request.target = std::move(*parsed_target);

  request.pid = non_negative_integer(args, "pid");
  const Json* params = arg_member(args, "params");
  request.params = params ? *params : Json::object();
  return request;
}

}  // namespace winhelper
