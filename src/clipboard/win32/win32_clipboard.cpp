#include "clipboard/win32/win32_clipboard.h"

#include <cstring>
#include <cwchar>
#include <future>
#include <utility>

#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_any.h"

namespace winhelper {

namespace {

struct CloseClipboardTraits {
  using type = bool;
  static constexpr type invalid() noexcept { return false; }
  static void close(type) noexcept { CloseClipboard(); }
};
// The calling thread's open clipboard.
using OpenedClipboard = win32::UniqueAny<CloseClipboardTraits>;

struct GlobalUnlockTraits {
  using type = HGLOBAL;
  static constexpr type invalid() noexcept { return nullptr; }
  static void close(type value) noexcept { GlobalUnlock(value); }
};
using GlobalLockGuard = win32::UniqueAny<GlobalUnlockTraits>;
using UniqueGlobal = win32::UniqueNullable<HGLOBAL, &GlobalFree>;

// Another application holding the clipboard open makes OpenClipboard fail
// with access denied.
Result<OpenedClipboard, ClipboardError> open_clipboard(HWND owner) {
  if (OpenClipboard(owner)) return OpenedClipboard(true);
  const DWORD code = GetLastError();
  std::string text = last_error_text();
  if (code == ERROR_ACCESS_DENIED) return ClipboardError{ClipboardFailure::Busy, std::move(text)};
  return ClipboardError{ClipboardFailure::Failed, "OpenClipboard failed: " + text};
}

ClipboardError failed(const char* call) {
  return ClipboardError{ClipboardFailure::Failed, std::string(call) + " failed: " + last_error_text()};
}

}  // namespace

Win32Clipboard::~Win32Clipboard() {
  if (thread_.joinable()) {
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
}

HWND Win32Clipboard::owner() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (thread_.joinable()) return owner_;
  std::promise<std::pair<DWORD, HWND>> ready;
  auto started = ready.get_future();
  thread_ = std::thread([&ready] {
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ready.set_value({GetCurrentThreadId(), window});
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    if (window != nullptr) DestroyWindow(window);
  });
  std::tie(thread_id_, owner_) = started.get();
  return owner_;
}

Result<std::optional<std::string>, ClipboardError> Win32Clipboard::read_text() {
  auto opened = open_clipboard(nullptr);
  if (!opened) return opened.take_error();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::optional<std::string>();
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return failed("GetClipboardData");
  const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
  if (chars == nullptr) return failed("GlobalLock");
  GlobalLockGuard locked(data);
  // The text ends at its NUL or at the end of its block, whichever is first.
  const std::size_t length = wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t));
  return std::optional<std::string>(
      utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(chars), length)));
}

Result<Unit, ClipboardError> Win32Clipboard::write_text(const std::string& text) {
  const std::u16string wide = utf8_to_utf16(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(char16_t);
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!block) return failed("GlobalAlloc");
  {
    void* target = GlobalLock(block.get());
    if (target == nullptr) return failed("GlobalLock");
    GlobalLockGuard locked(block.get());
    std::memcpy(target, wide.c_str(), bytes);
  }
  HWND window = owner();
  if (window == nullptr) return failed("CreateWindowExW");
  auto opened = open_clipboard(window);
  if (!opened) return opened.take_error();
  if (!EmptyClipboard()) return failed("EmptyClipboard");
  if (SetClipboardData(CF_UNICODETEXT, block.get()) == nullptr) return failed("SetClipboardData");
  // The clipboard owns the block now.
  static_cast<void>(block.release());
  return ok_status();
}

}  // namespace winhelper
