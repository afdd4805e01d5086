#include "clipboard/clipboard_access.h"

#include <algorithm>
#include <utility>

namespace winhelper {

namespace {

HelperError clipboard_error(const ClipboardError& error) {
  if (error.kind == ClipboardFailure::Busy) return internal_error(kClipboardBusyMessage);
  return internal_error("Clipboard failed: " + error.platform_text);
}

// Runs `attempt` until it is not refused as busy or the retry time is spent.
template <typename Attempt>
auto with_retry(Clock& clock, Attempt attempt) -> decltype(attempt()) {
  const std::int64_t deadline = clock.now_ms() + kClipboardRetryMs;
  for (;;) {
    auto outcome = attempt();
    if (outcome || outcome.error().kind != ClipboardFailure::Busy) return outcome;
    const std::int64_t left = deadline - clock.now_ms();
    if (left <= 0) return outcome;
    clock.sleep_ms(std::min(left, kClipboardRetryIntervalMs));
  }
}

}  // namespace

Result<std::optional<std::string>> read_clipboard_text(Clipboard& clipboard, Clock& clock) {
  auto read = with_retry(clock, [&] { return clipboard.read_text(); });
  if (!read) return clipboard_error(read.error());
  return std::move(read).value();
}

Status write_clipboard_text(Clipboard& clipboard, Clock& clock, const std::string& text) {
  auto written = with_retry(clock, [&] { return clipboard.write_text(text); });
  if (!written) return clipboard_error(written.error());
  return ok_status();
}

}  // namespace winhelper
