#include "fuzz/response_check.h"

#include <array>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/text.h"

namespace winhelper::fuzz {

namespace {

using Ordered = nlohmann::ordered_json;

ResponseCheck fault(std::string text) { return {std::nullopt, std::move(text)}; }

std::vector<std::string> keys_of(const Ordered& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
  return keys;
}

// Walks without recursion: result values can be nested as deep as a request's
// arguments.
bool objects_sorted(const Ordered& root) {
  std::vector<const Ordered*> pending{&root};
  while (!pending.empty()) {
    const Ordered* value = pending.back();
    pending.pop_back();
    if (value->is_object()) {
      const std::string* previous = nullptr;
      for (auto it = value->begin(); it != value->end(); ++it) {
        if (previous && !(*previous < it.key())) return false;
        previous = &it.key();
        pending.push_back(&it.value());
      }
    } else if (value->is_array()) {
      for (const Ordered& element : *value) pending.push_back(&element);
    }
  }
  return true;
}

}  // namespace

bool is_known_error_code(std::string_view code) {
  static constexpr std::array<std::string_view, 14> kCodes = {
      "capability_deferred", "unsupported_command",  "invalid_request",
      "target_not_found",    "internal_error",       "unsupported_platform",
      "capture_failed",      "stale_look",           "stale_ref",
      "coordinate_unavailable_for_root", "coordinate_blocked", "foreground_required",
      "occluded_target",     "secure_text_unreadable"};
  for (std::string_view known : kCodes) {
    if (code == known) return true;
  }
  return false;
}

ResponseCheck check_response_line(std::string_view line) {
  if (line.find('\n') != std::string_view::npos || line.find('\r') != std::string_view::npos) {
    return fault("line break inside the response line");
  }
  if (!is_valid_utf8(line)) return fault("response is not valid UTF-8");
  Ordered parsed = Ordered::parse(line, nullptr, false);
  if (parsed.is_discarded()) return fault("response is not one JSON value");
  if (!parsed.is_object()) return fault("response is not a JSON object");
  if (parsed.dump() != line) return fault("response is not written compactly in its own order");

  std::vector<std::string> keys = keys_of(parsed);
  if (keys.size() != 4 || keys[0] != "protocolVersion" || keys[1] != "id" || keys[2] != "ok" ||
      (keys[3] != "result" && keys[3] != "error")) {
    return fault("envelope members are not protocolVersion, id, ok, result|error");
  }
  const Ordered& version = parsed["protocolVersion"];
  if (!version.is_number_unsigned() || version.get<std::uint64_t>() != 4) {
    return fault("protocolVersion is not 4");
  }
  if (!parsed["id"].is_string()) return fault("id is not a string");
  if (!parsed["ok"].is_boolean()) return fault("ok is not a boolean");

  CheckedResponse out;
  out.id = parsed["id"].get<std::string>();
  out.ok = parsed["ok"].get<bool>();
  if (out.ok != (keys[3] == "result")) return fault("ok disagrees with result/error");
  if (out.ok) {
    if (!objects_sorted(parsed["result"])) return fault("result object keys out of order");
  } else {
    const Ordered& error = parsed["error"];
    if (!error.is_object() || keys_of(error) != std::vector<std::string>{"message", "code"}) {
      return fault("error members are not message, code");
    }
    if (!error["message"].is_string() || !error["code"].is_string()) {
      return fault("error message or code is not a string");
    }
    out.message = error["message"].get<std::string>();
    out.code = error["code"].get<std::string>();
    if (!is_known_error_code(out.code)) return fault("unknown error code '" + out.code + "'");
  }
  return {std::move(out), {}};
}

}  // namespace winhelper::fuzz
