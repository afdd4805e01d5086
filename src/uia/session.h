#pragma once
// Opening a UI Automation session and the texts shared by every operation.

#include <string>

#include "uia/uia_port.h"

namespace winhelper::uia {

// Opens a session, turning an open failure into its text:
// "CoInitializeEx failed: 0x<8 lower-case hex digits>" or
// "CoCreateInstance IUIAutomation: <platform error text>".
Result<SessionPtr> open_session(UiaClient& client);

// Decimal numbers joined by ".".
std::string runtime_id_text(const RuntimeId& id);

// The runtime id, or the empty list when it cannot be read.
RuntimeId runtime_id_or_empty(Element& element);

}  // namespace winhelper::uia
