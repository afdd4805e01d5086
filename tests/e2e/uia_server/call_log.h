#pragma once
// Counts every call the helper makes into the server, per "Interface.Method", for the whole
// process. Counting is thread safe: the helper's workers each run their own session.
//
// Calls are also summed as round trips or local calls, as they would be on Windows, where
// UI Automation's client runs in the helper and the provider in the target application: a
// round trip crosses into the target's process (live reads, live navigation and searches,
// ElementFromHandle/ElementFromPoint, BuildUpdatedCache and the *BuildCache methods,
// pattern calls); cached reads, element array access and building conditions and cache
// requests stay in the helper. With WINHELPER_UIA_ROUND_TRIP_US=<n> in the environment each
// round trip also costs n microseconds of busy waiting, so that fewer round trips show as
// less time. With WINHELPER_UIA_NO_CACHE=1 every cache-building call fails, as with a
// provider that cannot cache.
//
// When the environment variable WINHELPER_UIA_CALL_LOG names a file, the totals so far are
// written there (one "<count> <Interface.Method>" line each, sorted by name, then the sums
// "<count> #cached_values", "<count> #local_calls", "<count> #null_arrays",
// "<count> #text_units_read", "<count> #password_value_reads",
// "<count> #round_trips", "<count> #timed_out_calls", "<count> #created_<class>" and the last
// timeouts set, "<ms> #connection_timeout_ms" and "<ms> #transaction_timeout_ms", then the
// objects alive per kind, "<count> #live_<kind>") whenever the last automation object of the
// process is released, i.e. after every UI Automation session of the helper, and again when
// the last object of any kind goes. A test reads what one command cost by comparing two
// snapshots, and whether it left any object alive from the live counts.

#include <windows.h>

namespace uia_server {

void count_call(const char* method);

// A password field was asked for its value, live or into a cache (a fault of the caller).
void count_password_value_read();

// A call answered S_OK with a null element array (a cached leaf, a search without a match).
void count_null_array();

// Property values worked out for a cache: what a cache-building call made the provider
// read, the cost that grows with the elements it reaches.
void count_cached_values(unsigned long long values);

// UTF-16 units a text range's GetText handed out.
void count_text_units_read(unsigned long long units);

// A call that ran into the provider timeout.
void count_timed_out_call();
// An automation object was created for the class ("CUIAutomation" or "CUIAutomation8").
void count_class_created(const char* class_name);
// The timeouts last set on an automation object, in milliseconds.
void record_connection_timeout(unsigned long ms);
void record_transaction_timeout(unsigned long ms);

// Whether cache-building calls are refused (WINHELPER_UIA_NO_CACHE).
bool caching_refused();

// Answers E_NOTIMPL with error info naming the method.
HRESULT not_implemented(const char* method);

// Writes the totals to the call log file, if one is configured.
void write_call_log();

}  // namespace uia_server
