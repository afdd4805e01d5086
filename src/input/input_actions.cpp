#include "input/input_actions.h"

#include "common/text.h"
#include "input/input_sequence.h"
#include "input/screen_coordinates.h"

namespace winhelper {

Status send_inputs(InputSink& sink, std::span<const InputEvent> events) {
  InputSequence sequence(sink);
  return sequence.send(events);
}

Status click_at(InputSink& sink, ScreenPoint point, std::string_view button) {
  std::uint32_t down = kMouseLeftDown;
  std::uint32_t up = kMouseLeftUp;
  if (button == "right") {
    down = kMouseRightDown;
    up = kMouseRightUp;
  } else if (button == "middle") {
    down = kMouseMiddleDown;
    up = kMouseMiddleUp;
  }
  InputSequence sequence(sink);
  if (auto s = sequence.move_cursor(point); !s) return s;
  return sequence.send({InputEvent::mouse(down), InputEvent::mouse(up)});
}

Status drag_along(InputSink& sink, const std::vector<ScreenPoint>& points) {
  if (points.size() < 2) return invalid_request("drag requires at least two points");
  InputSequence sequence(sink);
  if (auto s = sequence.move_cursor(points.front()); !s) return s;
  if (auto s = sequence.send({InputEvent::mouse(kMouseLeftDown)}); !s) return s;
  for (std::size_t i = 1; i < points.size(); ++i) {
    if (auto s = sequence.move_cursor(points[i]); !s) return s;
  }
  return sequence.send({InputEvent::mouse(kMouseLeftUp)});
}

Status scroll_at(InputSink& sink, ScreenPoint point, double scroll_x, double scroll_y) {
  InputSequence sequence(sink);
  if (auto s = sequence.move_cursor(point); !s) return s;
  std::vector<InputEvent> events;
  // The wheel amount is a signed value carried in the unsigned field.
  if (scroll_y != 0) {
    events.push_back(InputEvent::mouse(
        kMouseWheel, static_cast<std::uint32_t>(saturate_to_i32(-kWheelDelta * scroll_y))));
  }
  if (scroll_x != 0) {
    events.push_back(InputEvent::mouse(
        kMouseHWheel, static_cast<std::uint32_t>(saturate_to_i32(kWheelDelta * scroll_x))));
  }
  if (events.empty()) return ok_status();
  return sequence.send(events);
}

Status move_cursor_to(InputSink& sink, ScreenPoint point) {
  InputSequence sequence(sink);
  return sequence.move_cursor(point);
}

Status press_keys(InputSink& sink, const std::vector<std::uint16_t>& codes) {
  if (codes.empty()) return invalid_request("keypress requires at least one key");
  InputSequence sequence(sink);
  std::size_t last = codes.size() - 1;
  for (std::size_t i = 0; i < last; ++i) {
    if (auto s = sequence.send({InputEvent::key_down(codes[i])}); !s) return s;
  }
  if (auto s = sequence.send({InputEvent::key_down(codes[last]), InputEvent::key_up(codes[last])});
      !s) {
    return s;
  }
  for (std::size_t i = last; i-- > 0;) {
    if (auto s = sequence.send({InputEvent::key_up(codes[i])}); !s) return s;
  }
  return ok_status();
}

Status type_unicode_text(InputSink& sink, std::string_view utf8_text) {
  std::u16string units = utf8_to_utf16(utf8_text);
  std::vector<InputEvent> events;
  events.reserve(units.size() * 2);
  for (char16_t unit : units) {
    events.push_back(InputEvent::unicode_down(unit));
    events.push_back(InputEvent::unicode_up(unit));
  }
  InputSequence sequence(sink);
  return sequence.send(events);
}

Status press_chord(InputSink& sink, std::uint16_t code) {
  InputSequence sequence(sink);
  if (auto s = sequence.send({InputEvent::key_down(kVkControl)}); !s) return s;
  if (auto s = sequence.send({InputEvent::key_down(code), InputEvent::key_up(code)}); !s) return s;
  return sequence.send({InputEvent::key_up(kVkControl)});
}

Status tap_key(InputSink& sink, std::uint16_t code) {
  InputSequence sequence(sink);
  return sequence.send({InputEvent::key_down(code), InputEvent::key_up(code)});
}

}  // namespace winhelper
