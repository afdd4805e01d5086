#include "context/win32/win32_desktop_probe.h"

#include <windows.h>

namespace winhelper {

DesktopFacts Win32DesktopProbe::read() {
  DesktopFacts facts;
  DWORD session = 0;
  // Unknown stays "not session 0": a failed read must not refuse every command.
  facts.session_id = ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : 1;

  USEROBJECTFLAGS flags{};
  HWINSTA station = GetProcessWindowStation();
  if (station != nullptr &&
      GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), nullptr)) {
    facts.station_interactive = (flags.dwFlags & WSF_VISIBLE) != 0;
  }

  HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  facts.input_desktop_opens = input != nullptr;
  if (input != nullptr) CloseDesktop(input);
  return facts;
}

}  // namespace winhelper
