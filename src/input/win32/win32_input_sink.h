#pragma once
// The input port over user32's SendInput and SetCursorPos.

#include "input/input_sink.h"

namespace winhelper {

class Win32InputSink final : public InputSink {
 public:
  std::uint32_t send_input(std::span<const InputEvent> events) override;
  std::optional<std::string> set_cursor_pos(ScreenPoint point) override;
};

}  // namespace winhelper
