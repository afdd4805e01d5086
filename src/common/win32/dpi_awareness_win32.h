#pragma once
// The process's DPI awareness, declared before any window is read.

namespace winhelper::win32 {

// Per-monitor aware, version 2, so that every rectangle read and every point
// set is in physical pixels. Resolved at run time, so that an executable still
// starts where the call is missing (it is refused under Wine); a failure is
// ignored.
void declare_dpi_awareness();

}  // namespace winhelper::win32
