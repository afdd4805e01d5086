#pragma once
// The probes that need more than a call or two: a Winsock connection cut
// through the HTTP front's socket hold, and a file written as the token file
// is, with its access list read back.

#include <cstdint>
#include <string>
#include <vector>

#include "selftest/probes.h"

namespace winhelper::selftest {

SocketShutdown probe_socket_shutdown(std::int64_t wait_ms);
// Every file and folder it makes is added to `made` before it is made, so
// that one left behind shows among the leftovers.
FileAcl probe_private_file(std::vector<std::wstring>& made);

}  // namespace winhelper::selftest
