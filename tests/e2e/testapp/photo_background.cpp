#include "photo_background.h"

#include <cmath>
#include <cstdint>

namespace testapp {
namespace {

// Fills 32-bit blue-green-red-x pixels: three overlapping colour waves plus noise of
// +-16 from a fixed linear congruential generator, so every run paints the same picture.
void draw(std::uint32_t* pixels, int width, int height) {
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>((seed >> 24) & 31) - 16;
      auto channel = [&](double phase, double fx, double fy) {
        const double wave = 0.5 + 0.5 * std::sin(phase + x * fx + y * fy);
        const int v = static_cast<int>(40 + 170 * wave) + noise;
        return static_cast<std::uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v);
      };
      const std::uint32_t red = channel(0.0, 0.004, 0.007);
      const std::uint32_t green = channel(2.0, 0.006, -0.003);
      const std::uint32_t blue = channel(4.0, -0.002, 0.005);
      pixels[static_cast<size_t>(y) * width + x] = red << 16 | green << 8 | blue;
    }
  }
}

}  // namespace

PhotoBackground::~PhotoBackground() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

bool PhotoBackground::paint(HWND window, HDC dc) {
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return true;
  if (bitmap_ == nullptr || width != width_ || height != height_) {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr || bits == nullptr) return false;
    draw(static_cast<std::uint32_t*>(bits), width, height);
    width_ = width;
    height_ = height;
  }
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return false;
  HGDIOBJ old = SelectObject(memory, bitmap_);
  BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  return true;
}

}  // namespace testapp
