#pragma once
// The clipboard port on Win32. Text put on the clipboard is owned by a
// message-only window on a thread of its own that keeps pumping messages, so
// another application emptying the clipboard is never held up by a worker
// that is busy elsewhere, and the text stays available after the call.

#include <windows.h>

#include <mutex>
#include <thread>

#include "clipboard/clipboard.h"

namespace winhelper {

class Win32Clipboard final : public Clipboard {
 public:
  Win32Clipboard() = default;
  ~Win32Clipboard() override;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  Result<std::optional<std::string>, ClipboardError> read_text() override;
  Result<Unit, ClipboardError> write_text(const std::string& text) override;

 private:
  // The owner window, started on first use; null when it could not be made.
  HWND owner();

  std::mutex mutex_;
  std::thread thread_;
  DWORD thread_id_ = 0;
  HWND owner_ = nullptr;
};

}  // namespace winhelper
