#include "fuzz/input_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/text.h"
#include "fakes/pipe_streams.h"
#include "fuzz/fuzz_platform.h"
#include "fuzz/request_oracle.h"
#include "fuzz/response_check.h"
#include "protocol/request_reader.h"
#include "protocol/response_writer.h"
#include "service/line_reader.h"
#include "service/service.h"

namespace winhelper::fuzz {
namespace {

struct Fault {
  std::string text;
};

[[noreturn]] void fail(const std::string& what, std::string_view context = {}) {
  std::string text = what;
  if (!context.empty()) {
    text += "\n  context: ";
    for (char c : context.substr(0, 2000)) {
      auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        text += escaped;
      } else {
        text += c;
      }
    }
  }
  throw Fault{std::move(text)};
}

// Hands the bytes out in small pieces so lines straddle reads.
class ChunkedInput final : public ByteInput {
 public:
  ChunkedInput(std::string_view bytes, std::size_t piece) : bytes_(bytes), piece_(piece) {}
  Chunk read(char* buffer, std::size_t capacity) override {
    std::size_t n = std::min({capacity, piece_, bytes_.size()});
    std::memcpy(buffer, bytes_.data(), n);
    bytes_.remove_prefix(n);
    return {n, false, {}};
  }

 private:
  std::string_view bytes_;
  std::size_t piece_;
};

// The line the reader must return next at `offset`, or nothing at the end.
struct ExpectedLine {
  bool end = false;
  bool invalid_utf8 = false;
  std::string_view text;
  std::size_t next = 0;
};

ExpectedLine expected_line(std::string_view bytes, std::size_t offset) {
  ExpectedLine e;
  if (offset >= bytes.size()) {
    e.end = true;
    return e;
  }
  std::size_t lf = bytes.find('\n', offset);
  std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf + 1;
  std::string_view whole = bytes.substr(offset, stop - offset);
  e.invalid_utf8 = !is_valid_utf8(whole);
  e.text = whole;
  if (!e.text.empty() && e.text.back() == '\n') e.text.remove_suffix(1);
  if (!e.text.empty() && e.text.back() == '\r') e.text.remove_suffix(1);
  e.next = stop;
  return e;
}

bool names_a_command(std::string_view cmd) {
  return std::find(kCommands.begin(), kCommands.end(), cmd) != kCommands.end();
}

void check_dispatched(const Request& request, const Response& response) {
  if (response.id != request.id) fail("dispatch answered with another id", request.id);
  std::string line = serialize_response(response);
  ResponseCheck checked = check_response_line(line);
  if (!checked.response) fail("dispatch response: " + checked.fault, line);
  if (request.protocol_version != kProtocolVersion) {
    if (checked.response->code != "invalid_request" ||
        checked.response->message.rfind("Unsupported Windows helper protocol ", 0) != 0) {
      fail("wrong protocol version not refused first", line);
    }
  } else if (!names_a_command(request.cmd)) {
    if (checked.response->code != "unsupported_command" ||
        checked.response->message != "Unknown command '" + request.cmd + "'") {
      fail("unknown command not refused", line);
    }
  }
}

// Runs every line on this thread; returns the ids that must be answered.
std::vector<std::string> run_directly(std::string_view bytes) {
  FuzzPlatform desktop;
  ChunkedInput input(bytes, 1 + bytes.size() % 61);
  LineReader reader(input);
  std::vector<std::string> answered;
  std::size_t offset = 0;
  for (;;) {
    ExpectedLine expected = expected_line(bytes, offset);
    LineReader::Next next = reader.next();
    if (expected.end) {
      if (next.status != LineReader::Status::End) fail("line reader did not end with the input");
      return answered;
    }
    if (expected.invalid_utf8) {
      if (next.status != LineReader::Status::Error) fail("invalid UTF-8 line was not refused");
      answered.push_back("unknown");
      return answered;
    }
    if (next.status != LineReader::Status::Line || next.line != expected.text) {
      fail("line reader split the input wrongly", expected.text);
    }
    offset = expected.next;

    ReadOutcome outcome = read_request(next.line);
    std::string disagreement = check_read_outcome(next.line, outcome);
    if (!disagreement.empty()) fail("request reader: " + disagreement, next.line);
    if (auto* rejected = std::get_if<RejectedLine>(&outcome)) {
      std::string line = serialize_response(Response::failure(rejected->id, rejected->error));
      ResponseCheck checked = check_response_line(line);
      if (!checked.response) fail("rejection response: " + checked.fault, line);
      answered.push_back(rejected->id);
    } else if (auto* request = std::get_if<Request>(&outcome)) {
      check_dispatched(*request, desktop.dispatcher().dispatch(*request));
      answered.push_back(request->id);
    }
  }
}

void run_through_service(std::string_view bytes, std::vector<std::string> expected_ids) {
  FuzzPlatform desktop;
  fakes::PipeInput input;
  fakes::LineOutput output;
  input.feed(std::string(bytes));
  input.close();
  run_service(input, output, desktop.dispatcher());

  std::string raw = output.raw();
  if (!raw.empty() && raw.back() != '\n') fail("service output does not end with a line feed");
  std::vector<std::string> ids;
  for (const std::string& line : output.lines()) {
    ResponseCheck checked = check_response_line(line);
    if (!checked.response) fail("service response: " + checked.fault, line);
    ids.push_back(checked.response->id);
  }
  std::sort(ids.begin(), ids.end());
  std::sort(expected_ids.begin(), expected_ids.end());
  if (ids != expected_ids) {
    fail("service answered " + std::to_string(ids.size()) + " lines, expected " +
         std::to_string(expected_ids.size()) + " (or with other ids)");
  }
}

}  // namespace

std::string check_input(std::string_view bytes, bool through_service) {
  try {
    std::vector<std::string> ids = run_directly(bytes);
    if (through_service) run_through_service(bytes, std::move(ids));
  } catch (const Fault& fault) {
    return fault.text;
  }
  return {};
}

}  // namespace winhelper::fuzz

