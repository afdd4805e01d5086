#pragma once
// The foreground step shared by the acting commands and the browser location
// command, before any physical input is sent. Callers hold the physical input
// lock.
//
// A minimised window is restored first, since input at its points would land
// on whatever the screen shows there. Then up to four foreground requests,
// 20 ms apart, each followed by a look at the foreground window. Windows'
// foreground lock refuses such requests in some states (after a modal box was
// closed with the keyboard, for one) that one escalation overcomes: the
// helper's thread joins the input of the foreground window's thread, brings
// the target to the top, asks again and separates, and the check follows.
// Success means only that the target is the foreground window.

#include "common/clock.h"
#include "common/result.h"
#include "windows/window_system.h"

namespace winhelper {

inline constexpr const char* kForegroundRefusedMessage =
    "Windows refused to foreground the target; physical input was not sent";

Status bring_to_foreground(WindowSystem& windows, Clock& clock, WindowHandle window);

}  // namespace winhelper
