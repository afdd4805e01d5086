#pragma once
// The protocol error for a UI Automation failure: the one mapping every
// command that reaches UI Automation answers with.

#include "common/error.h"
#include "uia/uia_failure.h"

namespace winhelper {

// Stale: `stale_ref` "Element reference is stale". Unavailable, timed out
// and provider failures: `internal_error` with the failure text unchanged
// (a timeout's text names UIA_E_TIMEOUT, 0x80131505).
HelperError uia_protocol_error(const uia::UiaError& error);

}  // namespace winhelper
