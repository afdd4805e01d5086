#pragma once
// One action the host asks for, read from the arguments object of `act` or
// of one `actBatch` entry. Read-only once parsed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "common/result.h"
#include "protocol/request.h"

namespace winhelper {

// An element reference of the look (only looked up, never parsed).
struct RefTarget {
  std::string ref;
  bool operator==(const RefTarget&) const = default;
};

// A point in the look's image coordinates, not yet rounded.
struct PointTarget {
  double x = 0;
  double y = 0;
  bool operator==(const PointTarget&) const = default;
};

using ActTarget = std::variant<RefTarget, PointTarget>;

// Names are matched case-sensitively; any other name is Unsupported, which
// runs up to the point of performing and is refused there.
enum class ActAction {
  Press,
  Click,
  Scroll,
  SetText,
  TypeText,
  Keypress,
  Drag,
  MoveMouse,
  Unsupported
};

// "foreground" and "ax_only"; every other value, absent or not a string, is
// Default.
enum class ActPolicy { Default, Foreground, AxOnly };

ActAction parse_act_action(std::string_view name);
ActPolicy parse_act_policy(std::string_view name);

struct ActRequest {
  std::string look_id;
  ActAction action = ActAction::Unsupported;
  // The action as sent, for the message refusing an unsupported one.
  std::string action_name;
  ActPolicy policy = ActPolicy::Default;
  ActTarget target;
  // Only a non-negative JSON integer counts; anything else is absent.
  std::optional<std::uint64_t> pid;
  // Copied unchanged; an empty object when absent.
  Json params;

  bool is_point() const { return std::holds_alternative<PointTarget>(target); }
  const RefTarget* ref_target() const { return std::get_if<RefTarget>(&target); }
  const PointTarget* point_target() const { return std::get_if<PointTarget>(&target); }
  // Press and click are one action.
  bool is_press() const { return action == ActAction::Press || action == ActAction::Click; }
};

// Checks, in this order, with invalid_request: lookId, action, target present,
// target form. The first failure is returned.
Result<ActRequest> parse_act_request(const Json& args);

}  // namespace winhelper
