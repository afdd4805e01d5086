#pragma once
// UI Automation failures cross the seam as a kind and a text. The kind says
// what the caller may conclude; the command maps it to a protocol error code.
// The text ("<step>: <platform error text>") is what gets reported. The
// port's own calls fail with the platform error text alone and the core adds
// the step, keeping the kind.

#include <cstdint>
#include <string>

#include "common/result.h"

namespace winhelper::uia {

enum class UiaErrorKind {
  // The element can no longer be found from its locator.
  Stale,
  // UI Automation itself, or the element, is not available.
  Unavailable,
  // The provider did not answer within the timeout set on the session
  // (UIA_E_TIMEOUT): the target application may be hung. Whether a call
  // that timed out took effect is unknown.
  Timeout,
  // Any other failure of the provider or the platform.
  ProviderFailure,
};

struct UiaError {
  UiaErrorKind kind = UiaErrorKind::ProviderFailure;
  std::string message;

  bool operator==(const UiaError&) const = default;
};

// Inside this module Result<T> and Status fail with a UiaError.
template <typename T>
using Result = winhelper::Result<T, UiaError>;
using Status = Result<Unit>;

inline UiaError uia_failure(std::string text) {
  return {UiaErrorKind::ProviderFailure, std::move(text)};
}

// UIA_E_ELEMENTNOTAVAILABLE: the element (or what it stood for) is gone.
inline constexpr std::uint32_t kElementNotAvailable = 0x80040201u;
// What a call answers when the process behind the element has gone:
// RPC_S_SERVER_UNAVAILABLE, RPC_E_DISCONNECTED, CO_E_OBJNOTCONNECTED.
inline constexpr std::uint32_t kServerUnavailable = 0x800706BAu;
inline constexpr std::uint32_t kDisconnected = 0x80010108u;
inline constexpr std::uint32_t kObjectNotConnected = 0x800401FDu;
// UIA_E_TIMEOUT: the provider did not answer within the timeout.
inline constexpr std::uint32_t kProviderTimeout = 0x80131505u;

// The kind of a failed platform call, from its HRESULT.
constexpr UiaErrorKind platform_error_kind(std::uint32_t code) {
  switch (code) {
    case kElementNotAvailable:
    case kServerUnavailable:
    case kDisconnected:
    case kObjectNotConnected:
      return UiaErrorKind::Unavailable;
    case kProviderTimeout:
      return UiaErrorKind::Timeout;
    default:
      return UiaErrorKind::ProviderFailure;
  }
}

// A failed platform call with its platform error text.
inline UiaError platform_failure(std::uint32_t code, std::string text) {
  return {platform_error_kind(code), std::move(text)};
}

// Nothing under the window matched the locator.
inline UiaError stale_element() {
  return {UiaErrorKind::Stale, "Element reference is stale"};
}

// "<step>: <platform error text>", of the platform call's kind.
inline UiaError step_failure(const std::string& step, const UiaError& platform) {
  return {platform.kind, step + ": " + platform.message};
}

}  // namespace winhelper::uia
