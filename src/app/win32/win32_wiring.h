#pragma once
// What both Windows executables share: DPI awareness, the Win32 adapters
// wired into the core, the window watcher, and one front end run over the
// process's standard input and output until end of input.

#include <functional>

#include "service/dispatcher.h"
#include "service/streams.h"

namespace winhelper {

// The protocol loop an executable speaks over standard input and output.
using FrontEnd = std::function<void(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher)>;

// Returns the process exit code: 0 at end of input, 1 when the front end
// could not run (the reason is written to standard error).
int run_on_windows(const FrontEnd& front_end);

}  // namespace winhelper
