#pragma once
// How long UI Automation may wait for a provider before a call fails. The
// system's own limits (2 s to reach an element, 20 s for a request) would let
// a window that has stopped answering hold a worker for 20 s per call, call
// after call; with these a hung provider fails the operation within seconds,
// and a look goes on with the warning line instead of its elements.

#include <cstdint>

namespace winhelper::uia {

inline constexpr std::uint32_t kProviderConnectionTimeoutMs = 2000;
inline constexpr std::uint32_t kProviderTransactionTimeoutMs = 5000;

}  // namespace winhelper::uia
