#pragma once
// Clipboard port: Unicode text only. Each call is one attempt; waiting out
// another application that holds the clipboard open is the caller's.

#include <optional>
#include <string>

#include "common/result.h"

namespace winhelper {

enum class ClipboardFailure {
  Busy,    // another application has the clipboard open
  Failed,  // any other failure; see the platform text
};

struct ClipboardError {
  ClipboardFailure kind = ClipboardFailure::Failed;
  std::string platform_text;
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The clipboard's Unicode text as UTF-8 (unpaired surrogates as U+FFFD);
  // nullopt when it holds no text. No other format is read.
  virtual Result<std::optional<std::string>, ClipboardError> read_text() = 0;
  // Replaces the clipboard's contents with `text` (valid UTF-8, no NUL).
  virtual Result<Unit, ClipboardError> write_text(const std::string& text) = 0;
};

}  // namespace winhelper
