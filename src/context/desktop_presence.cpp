#include "context/desktop_presence.h"

namespace winhelper {

namespace {

constexpr const char* kFix =
    "Start the helper in the user's logged-on session, for instance from a scheduled task set "
    "to run only when the user is logged on.";

}  // namespace

std::optional<DesktopAbsence> desktop_absence(const DesktopFacts& facts) {
  if (facts.session_id == 0) return DesktopAbsence::ServiceSession;
  if (!facts.station_interactive) return DesktopAbsence::HiddenWindowStation;
  return std::nullopt;
}

HelperError desktop_absent_error(DesktopAbsence absence) {
  std::string cause;
  switch (absence) {
    case DesktopAbsence::ServiceSession:
      cause =
          "No interactive desktop: the helper runs in session 0, where services run and no "
          "user's windows are, so it sees no windows and its input goes nowhere. ";
      break;
    case DesktopAbsence::HiddenWindowStation:
      cause =
          "No interactive desktop: the helper's window station is not interactive (as for a "
          "service, or a task set to run whether the user is logged on or not), so it sees no "
          "windows and its input goes nowhere. ";
      break;
  }
  return {ErrorCode::UnsupportedPlatform, cause + kFix};
}

std::optional<std::string> desktop_presence_warning(DesktopProbe* probe) {
  if (probe == nullptr) return std::nullopt;
  DesktopFacts facts = probe->read();
  if (auto absence = desktop_absence(facts)) return desktop_absent_error(*absence).message;
  if (!facts.input_desktop_opens) {
    return "The input desktop cannot be opened: the workstation may be locked or a secure "
           "desktop (such as an elevation prompt) may be showing; input reaches no window until "
           "the user's desktop is back.";
  }
  return std::nullopt;
}

}  // namespace winhelper
