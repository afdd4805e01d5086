#pragma once
// The self-test's probes answered by Windows.

#include <memory>

#include "selftest/probes.h"

namespace winhelper::selftest {

std::unique_ptr<Probes> make_win32_probes();

}  // namespace winhelper::selftest
