#pragma once
// Whether this process has the user's interactive desktop. Started as a
// service, over SSH, or by a scheduled task that runs whether the user is
// logged on or not, it runs in session 0 or in a window station that is not
// interactive: it sees no windows and its input goes nowhere. Commands that
// need the desktop then fail at once, saying why and what to do.

#include <cstdint>
#include <optional>
#include <string>

#include "common/error.h"

namespace winhelper {

// What the operating system says about the session this process runs in.
struct DesktopFacts {
  std::uint32_t session_id = 1;
  // The window station is visible (WSF_VISIBLE).
  bool station_interactive = true;
  // The desktop that receives user input can be opened. It cannot while the
  // workstation is locked or a secure desktop is shown, which passes.
  bool input_desktop_opens = true;
};

// Port: reads the facts; each read asks the system again.
class DesktopProbe {
 public:
  virtual ~DesktopProbe() = default;
  virtual DesktopFacts read() = 0;
};

enum class DesktopAbsence { ServiceSession, HiddenWindowStation };

// Why there is no interactive desktop, if there is none.
std::optional<DesktopAbsence> desktop_absence(const DesktopFacts& facts);

// The error every command that needs the desktop answers with (code
// unsupported_platform): the cause and the fix.
HelperError desktop_absent_error(DesktopAbsence absence);

// The line to log at start when the desktop is missing or out of reach; none
// when all is well or no probe is wired.
std::optional<std::string> desktop_presence_warning(DesktopProbe* probe);

}  // namespace winhelper
