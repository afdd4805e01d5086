#pragma once

#include <windows.h>

#include <ole2.h>
#include <uiautomationclient.h>

namespace uia_server {

// A new automation object holding one reference.
IUIAutomation* make_automation();

}  // namespace uia_server
