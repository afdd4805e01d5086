#pragma once
// One synthesised input event, in the platform-neutral form the core builds
// and the input port delivers. The Win32 adapter copies each field into the
// matching member of an INPUT record and leaves every other member zero.

#include <cstdint>

namespace winhelper {

enum class InputEventType : std::uint32_t {
  Mouse = 0,     // INPUT_MOUSE
  Keyboard = 1,  // INPUT_KEYBOARD
};

// Mouse event flags (MOUSEEVENTF_*). Events carry no position: buttons and
// wheels act at the cursor, which is placed separately.
inline constexpr std::uint32_t kMouseLeftDown = 0x0002;
inline constexpr std::uint32_t kMouseLeftUp = 0x0004;
inline constexpr std::uint32_t kMouseRightDown = 0x0008;
inline constexpr std::uint32_t kMouseRightUp = 0x0010;
inline constexpr std::uint32_t kMouseMiddleDown = 0x0020;
inline constexpr std::uint32_t kMouseMiddleUp = 0x0040;
inline constexpr std::uint32_t kMouseWheel = 0x0800;
inline constexpr std::uint32_t kMouseHWheel = 0x1000;
inline constexpr std::int32_t kWheelDelta = 120;

// Keyboard event flags (KEYEVENTF_*).
inline constexpr std::uint32_t kKeyUp = 0x0002;
inline constexpr std::uint32_t kKeyUnicode = 0x0004;

inline constexpr std::uint16_t kVkControl = 17;

struct InputEvent {
  InputEventType type = InputEventType::Mouse;
  // Mouse: wheel amount (a signed value carried in the unsigned field).
  std::uint32_t mouse_data = 0;
  // MOUSEEVENTF_* for mouse events, KEYEVENTF_* for keyboard events.
  std::uint32_t flags = 0;
  // Keyboard: virtual-key code (0 for Unicode events).
  std::uint16_t virtual_key = 0;
  // Keyboard: the UTF-16 code unit of a Unicode event.
  std::uint16_t scan = 0;

  bool operator==(const InputEvent&) const = default;

  static InputEvent mouse(std::uint32_t flags, std::uint32_t data = 0) {
    return {InputEventType::Mouse, data, flags, 0, 0};
  }
  static InputEvent key_down(std::uint16_t vk) { return {InputEventType::Keyboard, 0, 0, vk, 0}; }
  static InputEvent key_up(std::uint16_t vk) { return {InputEventType::Keyboard, 0, kKeyUp, vk, 0}; }
  static InputEvent unicode_down(char16_t unit) {
    return {InputEventType::Keyboard, 0, kKeyUnicode, 0, static_cast<std::uint16_t>(unit)};
  }
  static InputEvent unicode_up(char16_t unit) {
    return {InputEventType::Keyboard, 0, kKeyUnicode | kKeyUp, 0, static_cast<std::uint16_t>(unit)};
  }
};

// A screen position in physical pixels.
struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

}  // namespace winhelper
