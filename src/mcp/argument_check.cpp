#include "mcp/argument_check.h"

#include <algorithm>
#include <vector>

#include "mcp/jsonrpc.h"

namespace winhelper::mcp {

namespace {

// Integer types accept only integer tokens: the commands read 5.0 as absent.
bool has_type(const Json& value, std::string_view type) {
  if (type == "object") return value.is_object();
  if (type == "array") return value.is_array();
  if (type == "string") return value.is_string();
  if (type == "boolean") return value.is_boolean();
  if (type == "integer") return value.is_number_integer();
  if (type == "number") return value.is_number();
  if (type == "null") return value.is_null();
  return false;
}

bool matches_type(const Json& value, const Json& type) {
  if (type.is_string()) return has_type(value, type.get<std::string>());
  return std::any_of(type.begin(), type.end(), [&](const Json& t) {
    return t.is_string() && has_type(value, t.get<std::string>());
  });
}

std::string type_words(const Json& type) {
  if (type.is_string()) return type.get<std::string>();
  std::string words;
  for (const Json& t : type) {
    if (!words.empty()) words += " or ";
    words += t.get<std::string>();
  }
  return words;
}

std::string article(const std::string& word) {
  return (!word.empty() && std::string_view("aeiou").find(word[0]) != std::string_view::npos)
             ? "an " + word
             : "a " + word;
}

std::optional<std::string> check(const Json& schema, const Json& value, const std::string& path);

// "rootRef or windowId", "text, role or value", "ref, or x and y" when every
// branch only requires members; nothing otherwise.
std::optional<std::string> alternatives(const Json& branches) {
  std::vector<std::string> parts;
  bool compound = false;
  for (const Json& branch : branches) {
    if (branch.size() != 1 || !branch.contains("required")) return std::nullopt;
    std::string part;
    for (const Json& name : branch["required"]) {
      part += (part.empty() ? "" : " and ") + name.get<std::string>();
    }
    compound = compound || branch["required"].size() > 1;
    parts.push_back(std::move(part));
  }
  std::string words;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) words += i + 1 < parts.size() ? ", " : (compound ? ", or " : " or ");
    words += parts[i];
  }
  return words;
}

std::optional<std::string> check_object(const Json& schema, const Json& value,
                                        const std::string& path) {
  const Json* properties = schema.contains("properties") ? &schema["properties"] : nullptr;
  auto additional = schema.find("additionalProperties");
  bool closed = additional != schema.end() && *additional == false;
  if (auto required = schema.find("required"); required != schema.end()) {
    for (const Json& name : *required) {
      if (!value.contains(name.get<std::string>())) {
        return path + "." + name.get<std::string>() + " is required";
      }
    }
  }
  for (const auto& [name, member] : value.items()) {
    if (properties && properties->contains(name)) {
      if (auto fault = check((*properties)[name], member, path + "." + name)) return fault;
    } else if (closed) {
      return path + "." + name + " is not a known argument";
    }
  }
  return std::nullopt;
}

std::optional<std::string> check_array(const Json& schema, const Json& value,
                                       const std::string& path) {
  if (auto min = schema.find("minItems");
      min != schema.end() && value.size() < min->get<std::size_t>()) {
    return path + " must have at least " + dump_json(*min) + " items";
  }
  if (auto max = schema.find("maxItems");
      max != schema.end() && value.size() > max->get<std::size_t>()) {
    return path + " must have at most " + dump_json(*max) + " items";
  }
  if (auto items = schema.find("items"); items != schema.end()) {
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (auto fault = check(*items, value[i], path + "[" + std::to_string(i) + "]")) return fault;
    }
  }
  return std::nullopt;
}

std::optional<std::string> check(const Json& schema, const Json& value, const std::string& path) {
  if (auto type = schema.find("type"); type != schema.end() && !matches_type(value, *type)) {
    return path + " must be " + article(type_words(*type));
  }
  if (auto choices = schema.find("enum"); choices != schema.end()) {
    if (std::find(choices->begin(), choices->end(), value) == choices->end()) {
      std::string listed;
      for (const Json& choice : *choices)
        listed += (listed.empty() ? "" : ", ") + dump_json(choice);
      return path + " must be one of " + listed;
    }
  }
  if (value.is_number()) {
    double number = value.get<double>();
    if (auto min = schema.find("minimum"); min != schema.end() && number < min->get<double>()) {
      return path + " must be at least " + dump_json(*min);
    }
    if (auto max = schema.find("maximum"); max != schema.end() && number > max->get<double>()) {
      return path + " must be at most " + dump_json(*max);
    }
  }
  if (value.is_object()) {
    if (auto fault = check_object(schema, value, path)) return fault;
  }
  if (value.is_array()) {
    if (auto fault = check_array(schema, value, path)) return fault;
  }
  if (auto any_of = schema.find("anyOf"); any_of != schema.end()) {
    std::optional<std::string> first;
    for (const Json& branch : *any_of) {
      auto fault = check(branch, value, path);
      if (!fault) return std::nullopt;
      if (!first) first = fault;
    }
    if (auto needed = alternatives(*any_of)) return path + " must have " + *needed;
    return first;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> check_arguments(const Json& schema, const Json& arguments) {
  return check(schema, arguments, "arguments");
}

}  // namespace winhelper::mcp
