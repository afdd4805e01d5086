#include "fuzz/request_oracle.h"

#include <array>
#include <cstdint>

#include "common/text.h"

namespace winhelper::fuzz {

namespace {

constexpr int kDepthLimit = 128;
constexpr std::array<std::string_view, 4> kFields = {"protocolVersion", "id", "cmd", "args"};

// Counts what the DOM hides: the deepest nesting and how often each request
// field is named at the top level.
struct ShapeSax {
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  int depth = 0;
  int max_depth = 0;
  std::array<int, 4> field_count{};

  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(number_integer_t) { return true; }
  bool number_unsigned(number_unsigned_t) { return true; }
  bool number_float(number_float_t, const string_t&) { return true; }
  bool string(string_t&) { return true; }
  bool binary(binary_t&) { return true; }
  bool start_object(std::size_t) { return open(); }
  bool start_array(std::size_t) { return open(); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(string_t& k) {
    if (depth != 1) return true;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
      if (k == kFields[i]) ++field_count[i];
    }
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

  bool open() {
    max_depth = std::max(max_depth, ++depth);
    return true;
  }
  bool close() {
    --depth;
    return true;
  }
};

struct Oracle {
  bool parses = false;  // one JSON value, nesting within the limit
  Json value;
  ShapeSax shape;
};

Oracle consult(std::string_view text) {
  Oracle o;
  // nlohmann's lexer takes a NUL byte for the end of input, so a line with
  // a NUL would parse as whatever came before it. Raw NUL is never valid
  // JSON (not even inside a string), so such a line is not one value.
  if (text.find('\0') != std::string_view::npos) return o;
  if (!Json::sax_parse(text, &o.shape, nlohmann::detail::input_format_t::json, true, false)) {
    return o;
  }
  if (o.shape.max_depth >= kDepthLimit) return o;
  o.value = Json::parse(text, nullptr, false);
  o.parses = !o.value.is_discarded();
  return o;
}

// The four fields of a well-typed request, by name or by position.
struct Fields {
  const Json* version = nullptr;
  const Json* id = nullptr;
  const Json* cmd = nullptr;
  const Json* args = nullptr;
};

std::optional<Fields> request_fields(const Json& value) {
  Fields f;
  if (value.is_object()) {
    for (std::string_view name : kFields) {
      if (!value.contains(name)) return std::nullopt;
    }
    f = {&value["protocolVersion"], &value["id"], &value["cmd"], &value["args"]};
  } else if (value.is_array() && value.size() == 4) {
    f = {&value[0], &value[1], &value[2], &value[3]};
  } else {
    return std::nullopt;
  }
  bool version_ok = f.version->is_number_unsigned() &&
                    f.version->get<std::uint64_t>() <= 0xFFFFFFFFull;
  if (!version_ok || !f.id->is_string() || !f.cmd->is_string()) return std::nullopt;
  return f;
}

std::string expected_probe_id(const Oracle& o) {
  if (!o.parses || !o.value.is_object()) return "unknown";
  auto it = o.value.find("id");
  if (it == o.value.end() || !it->is_string()) return "unknown";
  return it->get<std::string>();
}

// "Invalid request: <description> at line <digits> column <digits>".
bool has_reader_fault_shape(std::string_view message) {
  constexpr std::string_view kPrefix = "Invalid request: ";
  if (message.substr(0, kPrefix.size()) != kPrefix) return false;
  auto take_number = [&](std::string_view before) {
    std::size_t end = message.size();
    std::size_t start = end;
    while (start > 0 && message[start - 1] >= '0' && message[start - 1] <= '9') --start;
    if (start == end || start < before.size()) return false;
    if (message.substr(start - before.size(), before.size()) != before) return false;
    message = message.substr(0, start - before.size());
    return true;
  };
  return take_number(" column ") && take_number(" at line ") && message.size() > kPrefix.size();
}

}  // namespace

std::string check_read_outcome(std::string_view line, const ReadOutcome& outcome) {
  std::string_view text = trim_unicode_whitespace(line);
  if (std::holds_alternative<BlankLine>(outcome)) {
    return text.empty() ? "" : "a line with content was taken for blank";
  }
  if (text.empty()) return "a blank line was not skipped";

  Oracle o = consult(text);
  if (const auto* request = std::get_if<Request>(&outcome)) {
    if (!o.parses) return "accepted a line that is not one JSON value within the nesting limit";
    auto fields = request_fields(o.value);
    if (!fields) return "accepted a line that is not a well-typed request";
    if (o.value.is_object()) {
      for (int count : o.shape.field_count) {
        if (count != 1) return "accepted a request with a duplicate field";
      }
    }
    if (fields->version->get<std::uint64_t>() != request->protocol_version ||
        *fields->id != request->id || *fields->cmd != request->cmd ||
        *fields->args != request->args) {
      return "request fields differ from the line's values";
    }
    return "";
  }

  const auto& rejected = std::get<RejectedLine>(outcome);
  if (rejected.error.code != ErrorCode::InvalidRequest) return "rejection is not invalid_request";
  if (!has_reader_fault_shape(rejected.error.message)) {
    return "rejection message has the wrong shape: " + rejected.error.message;
  }
  if (rejected.id != expected_probe_id(o)) return "rejection answered with the wrong id";
  if (o.parses && request_fields(o.value)) {
    bool duplicate = false;
    if (o.value.is_object()) {
      for (int count : o.shape.field_count) duplicate = duplicate || count > 1;
    }
    // With a field given twice the DOM keeps the last value, while the reader
    // stops at the first fault: the duplicate, or an earlier ill-typed value.
    if (!duplicate) return "rejected a well-formed request: " + rejected.error.message;
  }
  return "";
}

}  // namespace winhelper::fuzz
