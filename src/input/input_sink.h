#pragma once
// The input port: the two operating-system calls that synthesise input.
// Callers hold the physical input lock; implementations take no lock of
// their own and make no decisions (orders, retries, messages live in the core).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "input/input_event.h"

namespace winhelper {

class InputSink {
 public:
  virtual ~InputSink() = default;
  // Inserts the events into the input stream in one call and returns how
  // many were inserted. An empty list inserts nothing and returns 0.
  virtual std::uint32_t send_input(std::span<const InputEvent> events) = 0;
  // Places the cursor at an absolute screen position. Returns nothing on
  // success, else the platform error text of the failure.
  virtual std::optional<std::string> set_cursor_pos(ScreenPoint point) = 0;
};

}  // namespace winhelper
