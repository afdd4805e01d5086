#include "act/foreground.h"

namespace winhelper {

Status bring_to_foreground(WindowSystem& windows, Clock& clock, WindowHandle window) {
  if (windows.foreground() == window) return ok_status();
  for (int attempt = 0; attempt < 4; ++attempt) {
    windows.set_foreground(window);
    clock.sleep_ms(20);
    if (windows.foreground() == window) return ok_status();
  }
  return target_not_found("Windows refused to foreground the target; physical input was not sent");
}

}  // namespace winhelper
