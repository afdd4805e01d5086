#pragma once
// The self-test's checks of the window system and the clipboard, run through
// the helper's own adapters against the test application; and the judgements
// they end with.

#include <cstdint>
#include <optional>

#include "selftest/probes.h"
#include "selftest/self_test.h"

namespace winhelper::selftest {

// Windows reports a window hung once its thread has taken no message for
// 5 s; the check accepts a report between these times after the hang began.
inline constexpr std::int64_t kHungReportEarliestMs = 4000;
inline constexpr std::int64_t kHungReportLatestMs = 7000;
inline constexpr int kHungReportHangMs = 9000;

Answer hung_window(Probes& probes);
Answer foreground_escalation(Probes& probes);
Answer clipboard_busy(Probes& probes);
Answer dpi_unaware_move(Probes& probes);

// When Windows first reported the window hung after its thread stopped
// (nullopt: not within kHungReportLatestMs and a second).
Answer judge_hung_report(std::optional<std::int64_t> reported_ms);
// Whether the first plain foreground request was granted, and what the
// helper's foreground step (with its escalation) did after a refusal.
Answer judge_foreground(bool plain_granted, const Status& escalated);
// The clipboard read while the test application held it open, and whether
// it opened again once the application had ended.
Answer judge_clipboard(const Result<std::optional<std::string>, ClipboardError>& held,
                       bool opened_after);
// The window's monitor's DPI, whether SetWindowPos took the rectangle asked
// for, and the rectangle read back.
Answer judge_move(std::uint32_t dpi, bool moved, const ScreenRect& asked,
                  const std::optional<ScreenRect>& got);

}  // namespace winhelper::selftest
