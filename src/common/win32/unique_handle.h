#pragma once
// Owners of the Win32 handles the adapters hold, one alias per kind of handle,
// and of the two GDI states that need more than their handle to be undone.

#include <windows.h>

#include <oleauto.h>

#include "common/win32/unique_any.h"

namespace winhelper::win32 {

// Process and token handles; null when there is none.
using UniqueHandle = UniqueNullable<HANDLE, &CloseHandle>;

struct FileHandleTraits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(type value) noexcept { CloseHandle(value); }
};
// File handles, which CreateFileW reports missing as INVALID_HANDLE_VALUE.
using UniqueFile = UniqueAny<FileHandleTraits>;

// A memory device context from CreateCompatibleDC.
using UniqueDc = UniqueNullable<HDC, &DeleteDC>;
template <typename T>
using UniqueGdiObject = UniqueNullable<T, &DeleteObject>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;

using UniqueDesktop = UniqueNullable<HDESK, &CloseDesktop>;
using UniqueWinEventHook = UniqueNullable<HWINEVENTHOOK, &UnhookWinEvent>;
// Buffers the system allocates for the caller, such as FormatMessageW's.
template <typename T>
using UniqueLocal = UniqueNullable<T, &LocalFree>;

// The null BSTR is COM's empty string and owns nothing.
using UniqueBstr = UniqueNullable<BSTR, &SysFreeString>;
using UniqueSafeArray = UniqueNullable<SAFEARRAY*, &SafeArrayDestroy>;

// A device context from GetDC, released against the window it came from (the
// screen's when the window is null). Owns something exactly when `dc` is set.
struct WindowDc {
  HWND window = nullptr;
  HDC dc = nullptr;
  friend bool operator==(const WindowDc& a, const WindowDc& b) { return a.dc == b.dc; }
};
struct WindowDcTraits {
  using type = WindowDc;
  static constexpr type invalid() noexcept { return {}; }
  static void close(type value) noexcept { ReleaseDC(value.window, value.dc); }
};
using UniqueWindowDc = UniqueAny<WindowDcTraits>;

// Empty when GetDC fails.
inline UniqueWindowDc get_window_dc(HWND window) {
  return UniqueWindowDc(WindowDc{window, GetDC(window)});
}

// An object selected into a device context, undone by selecting the object it
// replaced back. Owns something exactly when `previous` is set.
struct Selection {
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;
  friend bool operator==(const Selection& a, const Selection& b) {
    return a.previous == b.previous;
  }
};
struct SelectionTraits {
  using type = Selection;
  static constexpr type invalid() noexcept { return {}; }
  static void close(type value) noexcept { SelectObject(value.dc, value.previous); }
};
using UniqueSelection = UniqueAny<SelectionTraits>;

// Must be destroyed before the object and the context it names. Empty when
// the selection fails.
inline UniqueSelection select_object(HDC dc, HGDIOBJ object) {
  HGDIOBJ previous = SelectObject(dc, object);
  if (previous == HGDI_ERROR) previous = nullptr;
  return UniqueSelection(Selection{dc, previous});
}

}  // namespace winhelper::win32
