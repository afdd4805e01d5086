#pragma once
// Arbitrary bytes as the helper's standard input, checked end to end.
//
// First line by line on the calling thread: the line reader, the request
// reader and the dispatcher on the fake desktop, each step checked against
// an independent expectation (line splitting, a second parse by the JSON
// library, the envelope of every response, refusals of wrong versions and
// unknown commands). Then, when asked, through the real service loop (reader,
// eight workers, response writer) on fresh in-memory streams, which must
// answer every line exactly once: the same ids as the first run, each a
// valid response line. All clocks are fake, so nothing may sleep for real.

#include <array>
#include <string>
#include <string_view>

namespace winhelper::fuzz {

// Every command of the line protocol. Written out, not asked of the
// dispatcher, so that a command dropped from its table or added without a
// seed shows up.
inline constexpr std::array<std::string_view, 18> kCommands = {
    "diagnostics",    "listWindows",   "listRoots",     "focusWindow", "openBrowserLocation",
    "uiaReadText",    "axReadText",    "uiaWaitFor",    "axWaitFor",   "look",
    "screenshot",     "act",           "actBatch",      "launchApp",   "runCommand",
    "setWindowState", "clipboardRead", "clipboardWrite"};

// Empty when every check holds, else what failed and on which line.
std::string check_input(std::string_view bytes, bool through_service);

}  // namespace winhelper::fuzz
