#pragma once
// Sends the calls of one physical operation through the input port and keeps
// track of the keys and mouse buttons that the inserted events left pressed.
// When the sequence ends while something is still pressed (a call failed
// half-way, or an error return skipped the releasing calls), the destructor
// releases each held input with one call of its own, newest first, ignoring
// failures: a stuck Ctrl or mouse button would break the user's desktop long
// after the helper answered.

#include <span>
#include <vector>

#include "common/result.h"
#include "input/input_event.h"
#include "input/input_sink.h"

namespace winhelper {

class InputSequence {
 public:
  explicit InputSequence(InputSink& sink) : sink_(sink) {}
  InputSequence(const InputSequence&) = delete;
  InputSequence& operator=(const InputSequence&) = delete;
  ~InputSequence();

  // One SendInput call with all events. Fails with capture_failed
  // "Input failed: SendInput inserted <returned>/<requested> events" when
  // fewer (or more) were inserted than given.
  Status send(std::span<const InputEvent> events);
  Status send(std::initializer_list<InputEvent> events) {
    return send(std::span<const InputEvent>(events.begin(), events.size()));
  }
  // Fails with capture_failed "Input failed: <platform error text>".
  Status move_cursor(ScreenPoint point);

 private:
  void release_held();
  void track(const InputEvent& event);

  InputSink& sink_;
  // Down events not yet matched by an up event, oldest first.
  std::vector<InputEvent> held_;
};

}  // namespace winhelper
