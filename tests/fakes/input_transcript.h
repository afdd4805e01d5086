#pragma once
// A compact text form of the fake input log, so tests can state whole event
// sequences in one line:
//   pos(x,y)          one SetCursorPos call
//   [e e ...]         one SendInput call with its events, where an event is
//     17v / 17^       virtual-key 17 down / up
//     uD83Dv / uD83D^ Unicode code unit down / up (hex)
//     m0002           mouse event with those flags (hex)
//     m0800:-180      ... and a non-zero wheel amount

#include <string>

#include "fakes/fake_input.h"

namespace winhelper::fakes {

std::string describe(const InputEvent& event);
std::string transcript(const FakeInput& input);

}  // namespace winhelper::fakes
