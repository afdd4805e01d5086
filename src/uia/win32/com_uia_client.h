#pragma once
// The UI Automation port over the COM client: each session is the calling
// thread's apartment plus one CUIAutomation object. Thin: calls, owners and
// error texts only.

#include "uia/uia_port.h"

namespace winhelper::uia {

class ComUiaClient final : public UiaClient {
 public:
  OpenResult open() override;
};

}  // namespace winhelper::uia
