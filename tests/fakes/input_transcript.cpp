#include "fakes/input_transcript.h"

#include <cstdio>

namespace winhelper::fakes {

std::string describe(const InputEvent& event) {
  char buffer[48];
  if (event.type == InputEventType::Mouse) {
    if (event.mouse_data != 0) {
      std::snprintf(buffer, sizeof buffer, "m%04X:%d", event.flags,
                    static_cast<int>(static_cast<std::int32_t>(event.mouse_data)));
    } else {
      std::snprintf(buffer, sizeof buffer, "m%04X", event.flags);
    }
    return buffer;
  }
  const char* edge = (event.flags & kKeyUp) ? "^" : "v";
  if (event.flags & kKeyUnicode) {
    std::snprintf(buffer, sizeof buffer, "u%04X%s", event.scan, edge);
  } else {
    std::snprintf(buffer, sizeof buffer, "%u%s", static_cast<unsigned>(event.virtual_key), edge);
  }
  return buffer;
}

std::string transcript(const FakeInput& input) {
  std::string out;
  for (const auto& call : input.calls()) {
    if (!out.empty()) out += ' ';
    if (const auto* cursor = std::get_if<CursorCall>(&call)) {
      out += "pos(" + std::to_string(cursor->point.x) + "," + std::to_string(cursor->point.y) + ")";
      continue;
    }
    out += '[';
    bool first = true;
    for (const auto& event : std::get<SendCall>(call).events) {
      if (!first) out += ' ';
      first = false;
      out += describe(event);
    }
    out += ']';
  }
  return out;
}

}  // namespace winhelper::fakes
