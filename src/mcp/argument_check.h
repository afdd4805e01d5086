#pragma once
// Checks tool arguments against the tool's input schema before the command
// runs, so that a model learns which argument is wrong instead of having a
// mistyped one silently read as absent. Understands the JSON Schema keywords
// the tool schemas use (kCheckedKeywords); annotations such as `description`
// and `default` are skipped.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/request.h"

namespace winhelper::mcp {

inline constexpr std::array<std::string_view, 11> kCheckedKeywords = {
    "type",     "properties", "required", "additionalProperties",
    "enum",     "minimum",    "maximum",  "items",
    "minItems", "maxItems",   "anyOf"};

// Keywords that say nothing about validity.
inline constexpr std::array<std::string_view, 3> kAnnotationKeywords = {"description", "default",
                                                                        "title"};

// The first violation as "<path> <what is wrong>" (the path is "arguments"
// for the whole object, then ".name" and "[index]"), or nothing when valid.
std::optional<std::string> check_arguments(const Json& schema, const Json& arguments);

}  // namespace winhelper::mcp
