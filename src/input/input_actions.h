#pragma once
// The event sequences of each physical operation. Every function runs while
// its caller holds the physical input lock, sends the events with no pause
// between them, and fails with capture_failed when a call to the input port
// fails. Whatever a failed sequence left pressed is released before the
// failure is returned (see InputSequence).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "input/input_event.h"
#include "input/input_sink.h"

namespace winhelper {

// One call with all events; the count inserted must equal the count given.
Status send_inputs(InputSink& sink, std::span<const InputEvent> events);

// Cursor to the point, then one call with the button's down and up events.
// "right" and "middle" (exact) choose those buttons; any other name is left.
Status click_at(InputSink& sink, ScreenPoint point, std::string_view button);

// Left-button drag: cursor to the first point, button down, cursor to each
// further point, button up. Needs at least two points.
Status drag_along(InputSink& sink, const std::vector<ScreenPoint>& points);

// Cursor to the point, then one call with a vertical then a horizontal wheel
// event, each only when its amount is not zero. Positive `scroll_y` scrolls
// down, positive `scroll_x` right; amounts are in notches.
Status scroll_at(InputSink& sink, ScreenPoint point, double scroll_x, double scroll_y);

Status move_cursor_to(InputSink& sink, ScreenPoint point);

// Holds k1..k(n-1) down in order (one call each), taps kn (one call), then
// releases k(n-1)..k1 (one call each). Needs at least one code.
Status press_keys(InputSink& sink, const std::vector<std::uint16_t>& codes);

// One call with a Unicode down and up event per UTF-16 code unit of the text.
Status type_unicode_text(InputSink& sink, std::string_view utf8_text);

// Ctrl down; `code` down and up; Ctrl up: three calls.
Status press_chord(InputSink& sink, std::uint16_t code);

// One call with `code` down and up.
Status tap_key(InputSink& sink, std::uint16_t code);

}  // namespace winhelper
