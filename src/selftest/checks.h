#pragma once
// The self-test's checks, each named by the id that docs/reliability.md
// gives beside the point it checks.

#include <cstdint>
#include <vector>

#include "selftest/probes.h"
#include "selftest/self_test.h"

namespace winhelper::selftest {

// The bounds the measured checks pass within: a 1920 x 1080 JPEG at the
// looks' default quality against the same frame's PNG (0.5 for this frame
// under Wine, where libjpeg-turbo's SIMD code runs as on Windows; without it
// JPEG takes several times longer), and one large block's pages.
inline constexpr double kJpegToPngBound = 1.0;
inline constexpr double kLargeBlockUsBound = 200;
// How long a blocked receive is given to return once the duplicate of its
// socket is shut down, and how soon it must have.
inline constexpr std::int64_t kSocketWaitMs = 3000;
inline constexpr double kSocketBoundMs = 1000;
// FILE_ALL_ACCESS: what the token file grants its user.
inline constexpr std::uint32_t kFileAllAccess = 0x1F01FF;

// The checks in the order they run; they use `probes` while they run.
std::vector<Check> windows_checks(Probes& probes);

// Every check, then whether the run left the desktop as it found it
// ("left-as-found").
std::vector<Outcome> run_all(Probes& probes, const Machine& machine);

Answer judge_socket_shutdown(const SocketShutdown& shutdown);
Answer judge_private_file(const FileAcl& acl);

}  // namespace winhelper::selftest
