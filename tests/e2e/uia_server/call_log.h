#pragma once
// Counts every call the helper makes into the server, per "Interface.Method", for the whole
// process. Counting is thread safe: the helper's workers each run their own session.
//
// When the environment variable WINHELPER_UIA_CALL_LOG names a file, the totals so far are
// written there (one "<count> <Interface.Method>" line each, sorted by name) whenever the
// last automation object of the process is released, i.e. after every UI Automation session
// of the helper, so a test can read what one command cost by comparing two snapshots.

#include <windows.h>

namespace uia_server {

void count_call(const char* method);

// Answers E_NOTIMPL with error info naming the method.
HRESULT not_implemented(const char* method);

// Writes the totals to the call log file, if one is configured.
void write_call_log();

}  // namespace uia_server
