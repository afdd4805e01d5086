#pragma once

#include <windows.h>

#include <ole2.h>
#include <uiautomationclient.h>

namespace uia_server {

// A new automation object holding one reference: of the CUIAutomation class (IUIAutomation
// only) or, with `eight`, of CUIAutomation8 (IUIAutomation2 as well, with its timeouts).
IUIAutomation* make_automation(bool eight);

}  // namespace uia_server
