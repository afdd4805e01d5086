#include "act/foreground.h"

namespace winhelper {

namespace {

constexpr int kPlainAttempts = 4;
constexpr std::int64_t kSettleMs = 20;

// The foreground lock lets a thread whose input is joined to the foreground
// thread's move the foreground. Joining fails (and is skipped) when there is
// no foreground window or it belongs to the helper's own thread.
void escalate(WindowSystem& windows, WindowHandle window) {
  const std::uint32_t own = windows.current_thread();
  const WindowHandle current = windows.foreground();
  const std::uint32_t holder = current == 0 ? 0 : windows.window_thread(current);
  const bool attached = holder != 0 && holder != own && windows.attach_input(own, holder, true);
  windows.bring_to_top(window);
  windows.set_foreground(window);
  if (attached) windows.attach_input(own, holder, false);
}

bool ask_and_check(WindowSystem& windows, Clock& clock, WindowHandle window, bool escalated) {
  if (escalated) {
    escalate(windows, window);
  } else {
    windows.set_foreground(window);
  }
  clock.sleep_ms(kSettleMs);
  return windows.foreground() == window;
}

}  // namespace

Status bring_to_foreground(WindowSystem& windows, Clock& clock, WindowHandle window) {
  if (windows.is_iconic(window)) windows.restore(window);
  if (windows.foreground() == window) return ok_status();
  for (int attempt = 0; attempt < kPlainAttempts; ++attempt) {
    if (ask_and_check(windows, clock, window, false)) return ok_status();
  }
  if (ask_and_check(windows, clock, window, true)) return ok_status();
  return target_not_found(kForegroundRefusedMessage);
}

}  // namespace winhelper
