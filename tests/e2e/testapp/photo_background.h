#pragma once
// --photo: the main window's background is a photo-like picture (smooth colour fields with
// fine noise) instead of a flat colour, so that a large window makes a large PNG.

#include <windows.h>

namespace testapp {

class PhotoBackground {
 public:
  PhotoBackground() = default;
  PhotoBackground(const PhotoBackground&) = delete;
  PhotoBackground& operator=(const PhotoBackground&) = delete;
  ~PhotoBackground();

  // Paints the client area of `window` into `dc`; the picture is drawn once for the client
  // size and redrawn when that size changes. Returns false when no bitmap could be made.
  bool paint(HWND window, HDC dc);

 private:
  HBITMAP bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace testapp
