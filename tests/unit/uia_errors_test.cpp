#include <gtest/gtest.h>

#include "context/refs.h"
#include "context/uia_errors.h"
#include "uia/session.h"

namespace winhelper {
namespace {

using uia::UiaError;
using uia::UiaErrorKind;

TEST(UiaErrors, EachKindMapsToOneProtocolError) {
  struct Case {
    UiaError failure;
    HelperError expected;
  };
  const Case cases[] = {
      {{UiaErrorKind::Stale, "Element reference is stale"}, stale_ref_error()},
      {{UiaErrorKind::Unavailable, "CoCreateInstance IUIAutomation: 0x80040154"},
       internal_error("CoCreateInstance IUIAutomation: 0x80040154")},
      {{UiaErrorKind::Unavailable, "ElementFromHandle: gone (0x80040201)"},
       internal_error("ElementFromHandle: gone (0x80040201)")},
      {{UiaErrorKind::ProviderFailure, "Invoke: Element reference is stale"},
       internal_error("Invoke: Element reference is stale")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(uia_protocol_error(c.failure), c.expected) << c.failure.message;
  }
}

TEST(UiaErrors, PlatformCodesReadAsTheirKinds) {
  struct Case {
    std::uint32_t code;
    UiaErrorKind kind;
  };
  const Case cases[] = {
      {0x80040201u, UiaErrorKind::Unavailable},      // UIA_E_ELEMENTNOTAVAILABLE
      {0x800706BAu, UiaErrorKind::Unavailable},      // RPC_S_SERVER_UNAVAILABLE
      {0x80010108u, UiaErrorKind::Unavailable},      // RPC_E_DISCONNECTED
      {0x800401FDu, UiaErrorKind::Unavailable},      // CO_E_OBJNOTCONNECTED
      {0x80131505u, UiaErrorKind::Timeout},          // UIA_E_TIMEOUT
      {0x80040200u, UiaErrorKind::ProviderFailure},  // UIA_E_ELEMENTNOTENABLED
      {0x80004005u, UiaErrorKind::ProviderFailure},  // E_FAIL
      {0x80070578u, UiaErrorKind::ProviderFailure},  // invalid window handle
      {0u, UiaErrorKind::ProviderFailure},           // a call that handed back nothing
  };
  for (const Case& c : cases) EXPECT_EQ(uia::platform_error_kind(c.code), c.kind) << c.code;
}

TEST(UiaErrors, SessionsWithoutProviderTimeoutsAreNamedInAWarning) {
  EXPECT_EQ(uia::provider_bounds_warning({true, ""}), std::nullopt);
  EXPECT_EQ(uia::provider_bounds_warning({true, "put_TransactionTimeout: no (0x80004005)"}),
            "[uia] WARN provider timeouts not applied: put_TransactionTimeout: no (0x80004005)\n");
  EXPECT_EQ(uia::provider_bounds_warning({false, "CoCreateInstance CUIAutomation8: x"}),
            "[uia] WARN provider timeouts not applied: CoCreateInstance CUIAutomation8: x\n");
}

TEST(UiaErrors, TheStepKeepsThePlatformKind) {
  UiaError gone = uia::platform_failure(0x80040201u, "gone (0x80040201)");
  EXPECT_EQ(uia::step_failure("FindAll", gone),
            (UiaError{UiaErrorKind::Unavailable, "FindAll: gone (0x80040201)"}));
}

}  // namespace
}  // namespace winhelper
