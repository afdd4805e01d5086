#pragma once
// Clipboard reads and writes that wait out a clipboard held open by another
// application for a bounded time, and the refusals a caller gets.

#include <optional>
#include <string>

#include "clipboard/clipboard.h"
#include "common/clock.h"
#include "common/result.h"

namespace winhelper {

// Another application rarely holds the clipboard longer than a few
// milliseconds; one that holds it for a second is not letting go soon.
inline constexpr std::int64_t kClipboardRetryMs = 1000;
inline constexpr std::int64_t kClipboardRetryIntervalMs = 20;

inline constexpr const char* kClipboardBusyMessage =
    "The clipboard is held open by another application; gave up after 1000 ms";

// Busy: `internal_error` kClipboardBusyMessage; other failures:
// `internal_error` "Clipboard failed: <platform text>".
Result<std::optional<std::string>> read_clipboard_text(Clipboard& clipboard, Clock& clock);
Status write_clipboard_text(Clipboard& clipboard, Clock& clock, const std::string& text);

}  // namespace winhelper
