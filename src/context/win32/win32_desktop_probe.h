#pragma once
// DesktopProbe over Win32: the process's session id, the visibility of its
// window station, and whether the input desktop opens.

#include "context/desktop_presence.h"

namespace winhelper {

class Win32DesktopProbe final : public DesktopProbe {
 public:
  DesktopFacts read() override;
};

}  // namespace winhelper
