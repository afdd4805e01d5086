#pragma once
// Reads one request line (its terminator already removed) into a Request.
// Called on the reader thread for every line of standard input.

#include <string>
#include <string_view>
#include <variant>

#include "protocol/request.h"

namespace winhelper {

// A line that held only white space: nothing is answered.
struct BlankLine {};

// A line that could not be read as a request: answered at once with `id`.
struct RejectedLine {
  std::string id;
  HelperError error;
};

using ReadOutcome = std::variant<BlankLine, Request, RejectedLine>;

ReadOutcome read_request(std::string_view line);

// The strict record reader alone: a Request, or the description of the first
// fault ending " at line L column C". Exposed for tests.
std::variant<Request, std::string> parse_request_record(std::string_view text);

// The id to answer an unparsable line with: the top-level object's `id` when
// the text is one JSON value and that member is a string, else "unknown".
std::string probe_request_id(std::string_view text);

}  // namespace winhelper
