#include "act/input_admission.h"

#include "act/foreground.h"
#include "common/lowercase.h"
#include "windows/window_reach.h"

namespace winhelper {

namespace {

// The name of the desktop that interactive applications run on.
constexpr const char* kInteractiveDesktop = "Default";

// The secure desktop (UAC prompts, the lock screen, Ctrl+Alt+Del) admits
// only the system, so opening it is refused; a readable input desktop of
// another name is another desktop all the same.
bool input_goes_elsewhere(WindowSystem& windows) {
  const InputDesktop desktop = windows.input_desktop();
  if (!desktop.name) return desktop.access_denied;
  const std::string own = desktop.own.empty() ? kInteractiveDesktop : desktop.own;
  return to_lower_utf8(*desktop.name) != to_lower_utf8(own);
}

}  // namespace

Status admit_window(WindowSystem& windows, WindowHandle target, const char* higher_privilege,
                    const char* not_responding) {
  switch (window_reach(windows, target)) {
    case WindowReach::HigherPrivilege:
      return HelperError{ErrorCode::CaptureFailed, higher_privilege};
    case WindowReach::NotResponding:
      return target_not_found(not_responding);
    case WindowReach::Open:
      break;
  }
  return ok_status();
}

Status admit_physical_input(WindowSystem& windows, WindowHandle target) {
  if (input_goes_elsewhere(windows)) return target_not_found(kSecureDesktopMessage);
  return admit_window(windows, target, kHigherPrivilegeMessage, kNotRespondingMessage);
}

Status prepare_input_target(WindowSystem& windows, Clock& clock, WindowHandle target,
                            bool bring_forward) {
  if (Status admitted = admit_physical_input(windows, target); !admitted) return admitted;
  if (!bring_forward) return ok_status();
  return bring_to_foreground(windows, clock, target);
}

}  // namespace winhelper
