#pragma once
// The provider timeouts of UI Automation as a client sees them (IUIAutomation2's
// ConnectionTimeout and TransactionTimeout): a call that reaches a provider that does not
// answer fails with UIA_E_TIMEOUT once the timeout set on the automation object passes, and
// waits for the provider as long as it takes when none was set. The timeouts belong to the
// automation object; the helper uses each of its objects on one thread only, so the server
// keeps the ones of the object in use per thread.

#include <windows.h>

#include "window_node.h"

namespace uia_server {

inline constexpr HRESULT kTimeout = static_cast<HRESULT>(0x80131505L);  // UIA_E_TIMEOUT

// A new automation object on this thread: no timeouts set.
void start_thread_timeouts();
// 0 leaves a timeout unset.
void set_connection_timeout(DWORD ms);
void set_transaction_timeout(DWORD ms);
DWORD connection_timeout();
DWORD transaction_timeout();

// Whether the provider of the node answers: element_gone() for a window that is gone,
// kTimeout when its thread did not answer within the timeout (the connection timeout for
// calls that first reach an element, the transaction timeout otherwise), S_OK once it
// answered.
HRESULT reach(const Node& node, bool connection = false);

}  // namespace uia_server
