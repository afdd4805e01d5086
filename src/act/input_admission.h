#pragma once
// What must hold before physical input is sent into a window, checked while
// the caller holds the physical input lock and before the foreground step, so
// that input Windows would drop or hold back is refused at once with the
// reason instead of being reported as sent.

#include "common/clock.h"
#include "common/result.h"
#include "windows/window_system.h"

namespace winhelper {

inline constexpr const char* kSecureDesktopMessage =
    "Windows is showing a secure desktop (a UAC prompt or the lock screen), which takes no "
    "synthesised input; physical input was not sent";
inline constexpr const char* kHigherPrivilegeMessage =
    "The target window belongs to a process running with higher privileges than the helper, "
    "and Windows blocks synthesised input into it; physical input was not sent";
inline constexpr const char* kNotRespondingMessage =
    "The target window is not responding, so Windows would hold the input back until it "
    "recovers; physical input was not sent";

// Whether Windows lets the helper act on the window at all, refused in the
// caller's words: a process running higher than the helper with
// `capture_failed`, a hung window with `target_not_found`.
Status admit_window(WindowSystem& windows, WindowHandle target, const char* higher_privilege,
                    const char* not_responding);

// In this order: the input desktop is the helper's own (target_not_found),
// the target's process does not run higher than the helper (capture_failed),
// the target is not hung (target_not_found). A fact that cannot be read
// passes.
Status admit_physical_input(WindowSystem& windows, WindowHandle target);

// The admission, then the foreground step unless `bring_forward` is false.
Status prepare_input_target(WindowSystem& windows, Clock& clock, WindowHandle target,
                            bool bring_forward);

}  // namespace winhelper
