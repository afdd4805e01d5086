#pragma once
// The self-test's checks, each named by the id that docs/reliability.md
// gives beside the point it checks.

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

// The checks in the order they run; they use `probes` while they run.
std::vector<Check> windows_checks(Probes& probes);

}  // namespace winhelper::selftest
