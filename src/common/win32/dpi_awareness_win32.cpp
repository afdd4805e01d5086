#include "common/win32/dpi_awareness_win32.h"

#include <windows.h>

namespace winhelper::win32 {

void declare_dpi_awareness() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return;
  auto set_context = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the handle value -4.
  if (set_context != nullptr) set_context(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)));
}

}  // namespace winhelper::win32
