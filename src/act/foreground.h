#pragma once
// The foreground step shared by the acting commands and the browser location
// command: ask for the foreground up to four times, 20 ms apart, before any
// physical input is sent. Callers hold the physical input lock.

#include "common/clock.h"
#include "common/result.h"
#include "windows/window_system.h"

namespace winhelper {

Status bring_to_foreground(WindowSystem& windows, Clock& clock, WindowHandle window);

}  // namespace winhelper
