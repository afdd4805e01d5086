#pragma once
// The request and response records of the line protocol.

#include <cstdint>
#include <string>
#include <variant>

#include <nlohmann/json.hpp>

#include "common/error.h"

namespace winhelper {

using Json = nlohmann::json;

inline constexpr std::uint32_t kProtocolVersion = 4;

struct Request {
  std::uint32_t protocol_version = 0;
  std::string id;
  std::string cmd;
  Json args;
};

struct Response {
  std::string id;
  // The result value on success, the error otherwise.
  std::variant<Json, HelperError> body;

  static Response success(std::string id, Json result) {
    return {std::move(id), std::move(result)};
  }
  static Response failure(std::string id, HelperError error) {
    return {std::move(id), std::move(error)};
  }
  bool ok() const { return body.index() == 0; }
};

}  // namespace winhelper
