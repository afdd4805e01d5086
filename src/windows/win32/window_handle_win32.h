#pragma once
// Conversions between HWND and the port's numeric window handle.

#include <windows.h>

#include <cstdint>

#include "windows/window_system.h"

namespace winhelper {

inline HWND to_hwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(window));
}

inline WindowHandle from_hwnd(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::intptr_t>(window));
}

}  // namespace winhelper
