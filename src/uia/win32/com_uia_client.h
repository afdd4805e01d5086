#pragma once
// The UI Automation port over the COM client: each session is the calling
// thread's apartment plus one automation object (CUIAutomation8, else
// CUIAutomation). Thin: calls, owners and error texts only.
//
// The apartment is single-threaded. Microsoft recommends that UI Automation
// clients run on MTA threads that own no windows, so that no call depends on
// a message loop. The helper's sessions own no windows, subscribe to no
// events and keep every object on the thread that made it, so their calls do
// not wait on a message loop of their own either way; the STA stays so that
// a worker thread uses one apartment model for all its COM work (the process
// launcher needs an STA for the shell). Measured under Wine with the test
// server (in-process, registered "Both"): a look, a wait poll, an act and a
// text read make the same calls and round trips in either apartment, and their
// times differ only by the machine's noise. What an MTA would change on
// Windows (no message pumping while the UI Automation core waits on a
// provider) matters to clients that own windows or handle events, which these
// sessions do not.

#include "uia/uia_port.h"

namespace winhelper::uia {

class ComUiaClient final : public UiaClient {
 public:
  OpenResult open() override;
};

}  // namespace winhelper::uia
