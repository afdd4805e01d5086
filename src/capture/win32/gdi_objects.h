#pragma once
// One owner per GDI resource a capture holds. Each releases its resource
// exactly once, on every path; all are move-only.

#include <windows.h>

#include <utility>

namespace winhelper::gdi {

// A device context from GetDC: of a window, or of the screen when the window
// is null. Released with ReleaseDC.
class WindowDc {
 public:
  WindowDc() = default;
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(WindowDc&& other) noexcept
      : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&&) = delete;
  WindowDc(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {}
  MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  MemoryDc& operator=(MemoryDc&&) = delete;
  MemoryDc(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
};

// A bitmap from CreateCompatibleBitmap, deleted with DeleteObject.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(HDC compatible_with, int width, int height)
      : bitmap_(CreateCompatibleBitmap(compatible_with, width, height)) {}
  Bitmap(Bitmap&& other) noexcept : bitmap_(std::exchange(other.bitmap_, nullptr)) {}
  Bitmap& operator=(Bitmap&&) = delete;
  Bitmap(const Bitmap&) = delete;
  ~Bitmap() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  HBITMAP get() const { return bitmap_; }
  explicit operator bool() const { return bitmap_ != nullptr; }

 private:
  HBITMAP bitmap_ = nullptr;
};

// An object selected into a device context; selects the previous object back.
// Must be destroyed before the object and the context it refers to.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  Selection(Selection&& other) noexcept
      : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
  Selection& operator=(Selection&&) = delete;
  Selection(const Selection&) = delete;
  ~Selection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace winhelper::gdi
