#pragma once
// The fake desktop's input device: records every call to the input port in
// order, and can make chosen calls fail (counted from 1 across both kinds).

#include <mutex>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "input/input_sink.h"

namespace winhelper::fakes {

struct CursorCall {
  ScreenPoint point;
  bool operator==(const CursorCall&) const = default;
};
struct SendCall {
  std::vector<InputEvent> events;
  bool operator==(const SendCall&) const = default;
};
using InputCall = std::variant<CursorCall, SendCall>;

class FakeInput final : public InputSink {
 public:
  static constexpr const char* kCursorFailure = "Access is denied. (0x80070005)";

  std::uint32_t send_input(std::span<const InputEvent> events) override;
  std::optional<std::string> set_cursor_pos(ScreenPoint point) override;

  // Call number `n` fails: a SendInput call then inserts `inserted` events
  // (the first ones), a SetCursorPos call returns kCursorFailure.
  void fail_call(int n, std::uint32_t inserted = 0);
  // Every call from number `n` on fails, inserting nothing.
  void fail_from(int n);

  std::vector<InputCall> calls() const;
  // All events of every SendInput call, flattened in order.
  std::vector<InputEvent> events() const;
  ScreenPoint cursor() const;

 private:
  // Registers the call; returns the number of events to insert on failure.
  std::optional<std::uint32_t> next_failure();

  mutable std::mutex m_;
  std::vector<InputCall> calls_;
  std::vector<std::pair<int, std::uint32_t>> failing_;
  int fail_from_ = 0;
  ScreenPoint cursor_;
};

}  // namespace winhelper::fakes
