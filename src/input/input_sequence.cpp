#include "input/input_sequence.h"

#include <algorithm>
#include <string>

namespace winhelper {

namespace {

HelperError input_failed(const std::string& detail) {
  return {ErrorCode::CaptureFailed, "Input failed: " + detail};
}

struct ButtonFlags {
  std::uint32_t down;
  std::uint32_t up;
};
constexpr ButtonFlags kButtons[] = {
    {kMouseLeftDown, kMouseLeftUp},
    {kMouseRightDown, kMouseRightUp},
    {kMouseMiddleDown, kMouseMiddleUp},
};

bool is_key_up(const InputEvent& e) { return (e.flags & kKeyUp) != 0; }

// The event that releases what `down` pressed.
InputEvent release_of(const InputEvent& down) {
  if (down.type == InputEventType::Keyboard) {
    InputEvent up = down;
    up.flags |= kKeyUp;
    return up;
  }
  for (const auto& b : kButtons) {
    if (down.flags == b.down) return InputEvent::mouse(b.up);
  }
  return down;
}

// Whether `up` releases what `down` pressed.
bool releases(const InputEvent& up, const InputEvent& down) {
  return release_of(down) == up;
}

}  // namespace

InputSequence::~InputSequence() {
  // Runs on error returns and during unwinding alike; nothing may escape.
  try {
    release_held();
  } catch (...) {
  }
}

Status InputSequence::send(std::span<const InputEvent> events) {
  auto requested = static_cast<std::uint32_t>(events.size());
  std::uint32_t inserted = sink_.send_input(events);
  for (std::uint32_t i = 0; i < std::min(inserted, requested); ++i) track(events[i]);
  if (inserted != requested) {
    return input_failed("SendInput inserted " + std::to_string(inserted) + "/" +
                        std::to_string(requested) + " events");
  }
  return ok_status();
}

Status InputSequence::move_cursor(ScreenPoint point) {
  if (auto failure = sink_.set_cursor_pos(point)) return input_failed(*failure);
  return ok_status();
}

void InputSequence::track(const InputEvent& event) {
  bool is_down = false;
  bool is_up = false;
  if (event.type == InputEventType::Keyboard) {
    is_up = is_key_up(event);
    is_down = !is_up;
  } else {
    for (const auto& b : kButtons) {
      if (event.flags == b.down) is_down = true;
      if (event.flags == b.up) is_up = true;
    }
  }
  if (is_down) {
    held_.push_back(event);
  } else if (is_up) {
    auto it = std::find_if(held_.rbegin(), held_.rend(),
                           [&](const InputEvent& d) { return releases(event, d); });
    if (it != held_.rend()) held_.erase(std::next(it).base());
  }
}

void InputSequence::release_held() {
  while (!held_.empty()) {
    InputEvent up = release_of(held_.back());
    held_.pop_back();
    InputEvent one[] = {up};
    sink_.send_input(one);
  }
}

}  // namespace winhelper
