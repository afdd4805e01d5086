#pragma once
// One action the host asks for, read from the arguments object of `act` or
// of one `actBatch` entry. Read-only once parsed.

#include <cstdint>
#include <optional>
#include <string>
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

inline constexpr std::string_view kPolicyDefault = "default";
inline constexpr std::string_view kPolicyForeground = "foreground";
inline constexpr std::string_view kPolicyAxOnly = "ax_only";

struct ActRequest {
  std::string look_id;
  // Compared case-sensitively.
  std::string action;
  // Any string the caller sent, unchanged; "default" when absent or not a string.
  std::string policy;
  ActTarget target;
  // Only a non-negative JSON integer counts; anything else is absent.
  std::optional<std::uint64_t> pid;
  // Copied unchanged; an empty object when absent.
  Json params;

  bool is_point() const { return std::holds_alternative<PointTarget>(target); }
  const RefTarget* ref_target() const { return std::get_if<RefTarget>(&target); }
  const PointTarget* point_target() const { return std::get_if<PointTarget>(&target); }
};

// Checks, in this order, with invalid_request: lookId, action, target present,
// target form. The first failure is returned.
Result<ActRequest> parse_act_request(const Json& args);

}  // namespace winhelper
