#include "protocol/args.h"

#include <limits>

namespace winhelper {

const Json* arg_member(const Json& args, std::string_view key) {
  if (!args.is_object()) return nullptr;
  auto it = args.find(key);
  return it == args.end() ? nullptr : &*it;
}

std::optional<std::string> arg_string(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  if (!v || !v->is_string()) return std::nullopt;
  return v->get<std::string>();
}

std::optional<bool> arg_bool(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  if (!v || !v->is_boolean()) return std::nullopt;
  return v->get<bool>();
}

std::optional<std::uint64_t> arg_u64(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  if (!v || !v->is_number_unsigned()) return std::nullopt;
  return v->get<std::uint64_t>();
}

std::optional<std::int64_t> arg_i64(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  if (!v) return std::nullopt;
  if (v->is_number_unsigned()) {
    auto u = v->get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    return static_cast<std::int64_t>(u);
  }
  if (v->is_number_integer()) return v->get<std::int64_t>();
  return std::nullopt;
}

std::optional<double> arg_f64(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  if (!v || !v->is_number()) return std::nullopt;
  return v->get<double>();
}

const Json* arg_object(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  return v && v->is_object() ? v : nullptr;
}

const Json* arg_array(const Json& args, std::string_view key) {
  const Json* v = arg_member(args, key);
  return v && v->is_array() ? v : nullptr;
}

}  // namespace winhelper
