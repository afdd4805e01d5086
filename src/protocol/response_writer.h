#pragma once
// Serialises a Response as one compact JSON line (without its line feed):
// protocolVersion, id, ok, then result or error {message, code}.

#include <string>

#include "protocol/request.h"

namespace winhelper {

std::string serialize_response(const Response& response);

}  // namespace winhelper
