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
// launcher needs an STA for the shell). Not measured against the MTA: under
// Wine the test server is in-process and registered "Both", so the two would
// look alike there.

#include "uia/uia_port.h"

namespace winhelper::uia {

class ComUiaClient final : public UiaClient {
 public:
  OpenResult open() override;
};

}  // namespace winhelper::uia
