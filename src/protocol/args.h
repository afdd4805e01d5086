#pragma once
// Tolerant argument reading: a member that is absent, or present with another
// JSON type than wanted, counts as absent; `args` that is not an object makes
// every member absent. Each handler applies its own defaults and messages.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/request.h"

namespace winhelper {

// The member, or nullptr when `args` is not an object or lacks it.
const Json* arg_member(const Json& args, std::string_view key);

std::optional<std::string> arg_string(const Json& args, std::string_view key);
std::optional<bool> arg_bool(const Json& args, std::string_view key);
// Unsigned integers only (negative and fractional numbers count as absent).
std::optional<std::uint64_t> arg_u64(const Json& args, std::string_view key);
// Integers that fit in 64 signed bits.
std::optional<std::int64_t> arg_i64(const Json& args, std::string_view key);
// Any JSON number.
std::optional<double> arg_f64(const Json& args, std::string_view key);
const Json* arg_object(const Json& args, std::string_view key);
const Json* arg_array(const Json& args, std::string_view key);

}  // namespace winhelper
