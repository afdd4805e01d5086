#include "input/win32/win32_input_sink.h"

#include <windows.h>

#include <vector>

#include "common/win32/platform_error_win32.h"

namespace winhelper {

// SendInput is told this record size; a different layout would make it
// reject every call.
static_assert(sizeof(INPUT) == 40, "INPUT records must be 40 bytes on x86-64");
static_assert(INPUT_MOUSE == static_cast<DWORD>(InputEventType::Mouse));
static_assert(INPUT_KEYBOARD == static_cast<DWORD>(InputEventType::Keyboard));
static_assert(MOUSEEVENTF_LEFTDOWN == kMouseLeftDown && MOUSEEVENTF_LEFTUP == kMouseLeftUp);
static_assert(MOUSEEVENTF_RIGHTDOWN == kMouseRightDown && MOUSEEVENTF_RIGHTUP == kMouseRightUp);
static_assert(MOUSEEVENTF_MIDDLEDOWN == kMouseMiddleDown && MOUSEEVENTF_MIDDLEUP == kMouseMiddleUp);
static_assert(MOUSEEVENTF_WHEEL == kMouseWheel && MOUSEEVENTF_HWHEEL == kMouseHWheel);
static_assert(KEYEVENTF_KEYUP == kKeyUp && KEYEVENTF_UNICODE == kKeyUnicode);

namespace {

INPUT to_record(const InputEvent& event) {
  INPUT record{};
  record.type = static_cast<DWORD>(event.type);
  if (event.type == InputEventType::Mouse) {
    record.mi.mouseData = event.mouse_data;
    record.mi.dwFlags = event.flags;
  } else {
    record.ki.wVk = event.virtual_key;
    record.ki.wScan = event.scan;
    record.ki.dwFlags = event.flags;
  }
  return record;
}

}  // namespace

std::uint32_t Win32InputSink::send_input(std::span<const InputEvent> events) {
  if (events.empty()) return 0;
  std::vector<INPUT> records;
  records.reserve(events.size());
  for (const auto& event : events) records.push_back(to_record(event));
  return SendInput(static_cast<UINT>(records.size()), records.data(), sizeof(INPUT));
}

std::optional<std::string> Win32InputSink::set_cursor_pos(ScreenPoint point) {
  if (SetCursorPos(point.x, point.y)) return std::nullopt;
  return last_error_text();
}

}  // namespace winhelper
