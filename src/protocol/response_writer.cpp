#include "protocol/response_writer.h"

namespace winhelper {

namespace {

void append_json(std::string& out, const Json& value) {
  // Strings reaching here are UTF-8 already; replace rather than throw if a
  // stray invalid byte slipped through.
  out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string serialize_response(const Response& response) {
  std::string out;
  out.reserve(128);
  out += "{\"protocolVersion\":";
  out += std::to_string(kProtocolVersion);
  out += ",\"id\":";
  append_json(out, Json(response.id));
  if (const Json* result = std::get_if<Json>(&response.body)) {
    out += ",\"ok\":true,\"result\":";
    append_json(out, *result);
  } else {
    const HelperError& error = std::get<HelperError>(response.body);
    out += ",\"ok\":false,\"error\":{\"message\":";
    append_json(out, Json(error.message));
    out += ",\"code\":";
    append_json(out, Json(std::string(error_code_name(error.code))));
    out += '}';
  }
  out += '}';
  return out;
}

}  // namespace winhelper
