#pragma once
// A second opinion on the request reader, built from nlohmann's own generic
// parser: what a line must be read as, checked against what the reader made
// of it. The reader is a hand-written strict record reader; this oracle only
// uses the library's plain DOM parse plus a depth and duplicate-key count.

#include <string>
#include <string_view>

#include "protocol/request_reader.h"

namespace winhelper::fuzz {

// Empty when the outcome agrees with the oracle, else what disagrees.
// `line` is the line as the reader got it (terminator removed, not trimmed).
std::string check_read_outcome(std::string_view line, const ReadOutcome& outcome);

}  // namespace winhelper::fuzz
