#include "windows/win32/win32_window_events.h"

#include <windows.h>

#include "common/win32/unique_handle.h"
#include "windows/win32/window_handle_win32.h"

namespace winhelper {

namespace {

// Out-of-context hooks call back on the thread that installed them, from
// inside its message loop; the loop's thread keeps its receiver here.
thread_local const std::function<void(const RawWindowEvent&)>* t_deliver = nullptr;

void CALLBACK on_win_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object_id,
                           LONG child_id, DWORD, DWORD) {
  if (t_deliver == nullptr) return;
  (*t_deliver)(RawWindowEvent{static_cast<std::uint32_t>(event), from_hwnd(window),
                              static_cast<std::int32_t>(object_id),
                              static_cast<std::int32_t>(child_id)});
}

}  // namespace

void Win32WindowEventSource::run(const std::function<void(const RawWindowEvent&)>& deliver) {
  MSG message;
  // A thread has a message queue, which stop() posts to, only once it has
  // called into User; this call makes it.
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (stopped_) return;
    loop_thread_ = static_cast<std::uint32_t>(GetCurrentThreadId());
  }
  t_deliver = &deliver;
  {
    // The hooks stay installed while the loop runs; they are removed when it ends.
    win32::UniqueWinEventHook foreground(SetWinEventHook(
        EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, on_win_event, 0, 0,
        WINEVENT_OUTOFCONTEXT));
    win32::UniqueWinEventHook objects(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE,
                                                      nullptr, on_win_event, 0, 0,
                                                      WINEVENT_OUTOFCONTEXT));
    if (foreground || objects) {
      BOOL got;
      // A failing GetMessageW (-1) would fail again at once; ending the loop
      // keeps the thread from spinning.
      while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  t_deliver = nullptr;
  std::lock_guard<std::mutex> hold(mutex_);
  loop_thread_ = 0;
}

void Win32WindowEventSource::stop() {
  std::lock_guard<std::mutex> hold(mutex_);
  stopped_ = true;
  // Its queue exists (run made it before naming the thread), so the post
  // can fail only when the thread is gone; then the loop has ended anyway.
  if (loop_thread_ != 0) PostThreadMessageW(loop_thread_, WM_QUIT, 0, 0);
}

}  // namespace winhelper
