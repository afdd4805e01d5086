#include "protocol/request_reader.h"

#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <vector>

#include "common/text.h"
#include "protocol/fault_values.h"

namespace winhelper {

namespace {

// Input iterator that reports how far nlohmann's lexer has read, so that the
// reader can state the position of each fault.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* p, const char** furthest) : p_(p), furthest_(furthest) {}
  reference operator*() const { return *p_; }
  CountingIterator& operator++() {
    ++p_;
    if (furthest_ && p_ > *furthest_) *furthest_ = p_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const CountingIterator& other) const { return p_ == other.p_; }
  bool operator!=(const CountingIterator& other) const { return p_ != other.p_; }

 private:
  const char* p_;
  const char** furthest_;
};

constexpr int kDepthLimit = 128;

enum class Mode { Record, Probe };
enum class Slot { None, ProtocolVersion, Id, Cmd, Args, Ignored };
enum class Top { Unknown, Object, Array };

constexpr std::array<const char*, 4> kFieldNames = {"protocolVersion", "id", "cmd", "args"};

bool is_number_char(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// One pass over the text with nlohmann's lexer; enforces the request record's
// rules (Record) or only finds the top-level object's `id` (Probe).
class StrictSax {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  StrictSax(Mode mode, std::string_view text, const char** furthest)
      : mode_(mode), text_(text), furthest_(furthest) {}

  // --- nlohmann SAX interface ---
  bool null() { return primitive(Json(nullptr), "null", "null"); }
  bool boolean(bool v) {
    return primitive(Json(v), v ? "boolean `true`" : "boolean `false`", "bool");
  }
  bool number_integer(number_integer_t v) {
    // Only literals with a minus sign arrive here, so 0 was written "-0":
    // negative zero, which is a floating-point value (0 is a valid u32 and
    // must not be reported as an invalid one).
    if (v == 0) return number_float(-0.0, string_t());
    return primitive(Json(v), "integer `" + std::to_string(v) + "`", "int", true);
  }
  bool number_unsigned(number_unsigned_t v) {
    return primitive(Json(v), "integer `" + std::to_string(v) + "`", "uint", true);
  }
  bool number_float(number_float_t v, const string_t&) {
    if (!std::isfinite(v)) return fail("number out of range", number_end());
    return primitive(Json(v), "floating point `" + fault_float_text(v) + "`", "float", true);
  }
  bool string(string_t& v) {
    // Described only if it is refused: strings can be megabytes long.
    return primitive(Json(std::move(v)), std::string(), "string");
  }
  bool binary(binary_t&) { return fail("expected value", consumed()); }
  bool start_object(std::size_t) { return open(true); }
  bool start_array(std::size_t) { return open(false); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(string_t& k) {
    if (capturing()) {
      pending_key_ = std::move(k);
      return true;
    }
    if (depth_ != 1) return true;
    if (mode_ == Mode::Probe) {
      next_is_id_ = (k == "id");
      return true;
    }
    slot_ = Slot::Ignored;
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
      if (k == kFieldNames[i]) {
        if (seen_[i]) return fail(std::string("duplicate field `") + kFieldNames[i] + "`", consumed());
        slot_ = static_cast<Slot>(i + 1);
      }
    }
    return true;
  }
  bool parse_error(std::size_t position, const std::string& last_token,
                   const nlohmann::detail::exception& ex) {
    failed_ = true;
    // The lexer also reports a NUL byte as the end of input; only a position
    // past the last byte is the real end of the line.
    bool at_end = position > text_.size();
    error_ = syntax_message(ex.what(), last_token, at_end);
    error_offset_ = std::min(position, text_.size());
    return false;
  }

  // --- outcome ---
  bool finished() const { return finished_; }
  std::size_t end_offset() const { return end_offset_; }
  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }
  std::size_t error_offset() const { return error_offset_; }
  Request take_request() { return std::move(request_); }
  const std::optional<std::string>& probed_id() const { return probed_id_; }

 private:
  std::size_t consumed() const { return static_cast<std::size_t>(*furthest_ - text_.data()); }
  // The lexer reads one character past a number and puts it back.
  std::size_t number_end() const {
    std::size_t off = consumed();
    if (off > 0 && !is_number_char(text_[off - 1])) --off;
    return off;
  }

  bool fail(std::string message, std::size_t offset) {
    failed_ = true;
    error_ = std::move(message);
    error_offset_ = offset;
    return false;
  }

  bool capturing() const { return !builder_.empty(); }

  // Adds a finished value to the args value under construction.
  Json* insert(Json value) {
    Json* top = builder_.back();
    if (top->is_array()) {
      top->push_back(std::move(value));
      return &top->back();
    }
    Json& slot = (*top)[pending_key_];
    slot = std::move(value);
    return &slot;
  }

  Slot current_slot() {
    if (top_ == Top::Object) return slot_;
    std::size_t index = element_count_++;
    return index < kFieldNames.size() ? static_cast<Slot>(index + 1) : Slot::Ignored;
  }

  void mark_seen(Slot slot) {
    if (slot != Slot::None && slot != Slot::Ignored) seen_[static_cast<int>(slot) - 1] = true;
  }

  // `kind` names the JSON type for the u32 check.
  // `shown` describes every value but a string, which is described only when
  // it is refused.
  bool primitive(Json value, const std::string& shown, const char* kind, bool number = false) {
    std::size_t end = number ? number_end() : consumed();
    auto describe = [&] {
      return value.is_string() ? "string " + fault_quoted_text(value.get_ref<const std::string&>())
                               : shown;
    };
    if (capturing()) {
      insert(std::move(value));
      return true;
    }
    if (depth_ == 0) {
      if (mode_ == Mode::Record) {
        return fail("invalid type: " + describe() + ", expected struct Request", end);
      }
      return finish(end);
    }
    if (depth_ != 1) return true;
    if (mode_ == Mode::Probe) {
      if (top_ == Top::Object && next_is_id_) {
        probed_id_ = value.is_string() ? std::optional<std::string>(value.get<std::string>())
                                       : std::nullopt;
      }
      next_is_id_ = false;
      return true;
    }
    Slot slot = current_slot();
    mark_seen(slot);
    switch (slot) {
      case Slot::ProtocolVersion: {
        std::string_view k = kind;
        if (k == "uint" || k == "int") {
          bool fits = value.is_number_unsigned() && value.get<std::uint64_t>() <= 0xFFFFFFFFull;
          if (!fits) return fail("invalid value: " + describe() + ", expected u32", end);
          request_.protocol_version = static_cast<std::uint32_t>(value.get<std::uint64_t>());
          return true;
        }
        return fail("invalid type: " + describe() + ", expected u32", end);
      }
      case Slot::Id:
      case Slot::Cmd:
        if (!value.is_string()) return fail("invalid type: " + describe() + ", expected a string", end);
        (slot == Slot::Id ? request_.id : request_.cmd) = std::move(value.get_ref<std::string&>());
        return true;
      case Slot::Args:
        request_.args = std::move(value);
        return true;
      default:
        return true;
    }
  }

  bool open(bool object) {
    std::size_t after = consumed();
    if (!capturing() && depth_ == 1 && mode_ == Mode::Record) {
      Slot slot = current_slot();
      mark_seen(slot);
      const char* what = object ? "map" : "sequence";
      if (slot == Slot::ProtocolVersion) {
        return fail(std::string("invalid type: ") + what + ", expected u32", after - 1);
      }
      if (slot == Slot::Id || slot == Slot::Cmd) {
        return fail(std::string("invalid type: ") + what + ", expected a string", after - 1);
      }
      ++depth_;
      if (depth_ >= kDepthLimit) return fail("recursion limit exceeded", after);
      if (slot == Slot::Args) {
        request_.args = object ? Json::object() : Json::array();
        builder_.push_back(&request_.args);
      }
      return true;
    }
    if (mode_ == Mode::Probe && depth_ == 1 && next_is_id_) {
      probed_id_.reset();
      next_is_id_ = false;
    }
    ++depth_;
    if (depth_ >= kDepthLimit) return fail("recursion limit exceeded", after);
    if (capturing()) {
      builder_.push_back(insert(object ? Json::object() : Json::array()));
    } else if (depth_ == 1) {
      top_ = object ? Top::Object : Top::Array;
    }
    return true;
  }

  bool close() {
    if (capturing()) builder_.pop_back();
    --depth_;
    if (depth_ != 0) return true;
    if (mode_ == Mode::Record) {
      std::size_t after = consumed();
      if (top_ == Top::Array && element_count_ != kFieldNames.size()) {
        return fail("invalid length " + std::to_string(element_count_) +
                        ", expected struct Request with 4 elements",
                    after);
      }
      for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (!seen_[i]) return fail(std::string("missing field `") + kFieldNames[i] + "`", after);
      }
    }
    return finish(consumed());
  }

  bool finish(std::size_t end) {
    finished_ = true;
    end_offset_ = end;
    return false;  // stop the parser; trailing text is checked by the caller
  }

  // The JSON library reports every syntax error with one exception id and no
  // token type, so its message text is all that tells them apart; the unit
  // tests pin this reading case by case against the library in use.
  static std::string syntax_message(std::string_view what, std::string_view last_token,
                                    bool at_end) {
    auto has = [&](std::string_view s) { return what.find(s) != std::string_view::npos; };
    if (has("missing closing quote")) return "EOF while parsing a string";
    if (has("control character")) return "control character (\\u0000-\\u001F) found while parsing a string";
    if (has("surrogate")) return "lone leading surrogate in hex escape";
    if (has("must be followed by 4 hex digits") || has("forbidden character after backslash")) {
      return "invalid escape";
    }
    if (has("invalid number")) return "invalid number";
    if (has("number overflow")) return "number out of range";
    if (has("unexpected end of input") && at_end) {
      if (has("while parsing value")) return "EOF while parsing a value";
      if (has("while parsing array")) return "EOF while parsing a list";
      return "EOF while parsing an object";
    }
    if (has("invalid literal") && !last_token.empty() &&
        (last_token[0] == 't' || last_token[0] == 'f' || last_token[0] == 'n')) {
      return "expected ident";
    }
    if (has("while parsing object key")) return "key must be a string";
    if (has("while parsing object separator")) return "expected `:`";
    if (has("while parsing object")) return "expected `,` or `}`";
    if (has("while parsing array")) return "expected `,` or `]`";
    return "expected value";
  }

  Mode mode_;
  std::string_view text_;
  const char** furthest_;

  int depth_ = 0;
  Top top_ = Top::Unknown;
  Slot slot_ = Slot::None;
  std::size_t element_count_ = 0;
  std::array<bool, 4> seen_{};
  Request request_;

  std::vector<Json*> builder_;
  std::string pending_key_;

  bool next_is_id_ = false;
  std::optional<std::string> probed_id_;

  bool finished_ = false;
  std::size_t end_offset_ = 0;
  bool failed_ = false;
  std::string error_;
  std::size_t error_offset_ = 0;
};

std::string with_position(std::string message, std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  message += " at line " + std::to_string(line) + " column " + std::to_string(offset - line_start);
  return message;
}

// Runs the lexer over `text`; returns the fault text, or nullopt on success.
std::optional<std::string> run(StrictSax& sax, std::string_view text, const char** furthest) {
  *furthest = text.data();
  CountingIterator first(text.data(), furthest);
  CountingIterator last(text.data() + text.size(), nullptr);
  Json::sax_parse(first, last, &sax, nlohmann::detail::input_format_t::json, true, false);
  if (sax.failed()) return with_position(sax.error(), text, sax.error_offset());
  if (!sax.finished()) return with_position("EOF while parsing a value", text, text.size());
  for (std::size_t i = sax.end_offset(); i < text.size(); ++i) {
    char c = text[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      return with_position("trailing characters", text, i + 1);
    }
  }
  return std::nullopt;
}

}  // namespace

std::variant<Request, std::string> parse_request_record(std::string_view text) {
  const char* furthest = nullptr;
  StrictSax sax(Mode::Record, text, &furthest);
  if (auto fault = run(sax, text, &furthest)) return std::move(*fault);
  return sax.take_request();
}

std::string probe_request_id(std::string_view text) {
  const char* furthest = nullptr;
  StrictSax sax(Mode::Probe, text, &furthest);
  if (run(sax, text, &furthest)) return "unknown";
  return sax.probed_id().value_or("unknown");
}

ReadOutcome read_request(std::string_view line) {
  std::string_view text = trim_unicode_whitespace(line);
  if (text.empty()) return BlankLine{};
  auto parsed = parse_request_record(text);
  if (auto* request = std::get_if<Request>(&parsed)) return std::move(*request);
  return RejectedLine{probe_request_id(text),
                      invalid_request("Invalid request: " + std::get<std::string>(parsed))};
}

}  // namespace winhelper
