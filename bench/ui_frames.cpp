#include "ui_frames.h"

#include <cmath>
#include <cstddef>

namespace winhelper::bench {

namespace {

// Numerical Recipes' LCG: the frames must not depend on the standard library.
struct Lcg {
  std::uint32_t state;
  std::uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
};

struct Canvas {
  int width;
  int height;
  std::vector<std::uint8_t>& pixels;

  void put(int x, int y, std::uint32_t rgb) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::uint8_t* q = &pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(x)) * 4];
    q[0] = static_cast<std::uint8_t>(rgb);
    q[1] = static_cast<std::uint8_t>(rgb >> 8);
    q[2] = static_cast<std::uint8_t>(rgb >> 16);
    q[3] = 0;
  }
  void fill(int x0, int y0, int x1, int y1, std::uint32_t rgb) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) put(x, y, rgb);
  }
  void border(int x0, int y0, int x1, int y1, std::uint32_t rgb) {
    fill(x0, y0, x1, y0 + 1, rgb);
    fill(x0, y1 - 1, x1, y1, rgb);
    fill(x0, y0, x0 + 1, y1, rgb);
    fill(x1 - 1, y0, x1, y1, rgb);
  }
};

// `t` of 255 of the way from a to b, per channel.
std::uint32_t mix(std::uint32_t a, std::uint32_t b, int t) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    out |= static_cast<std::uint32_t>(ca + (cb - ca) * t / 255) << shift;
  }
  return out;
}

// Lines of glyphs built from up to four strokes, with a lighter edge beside
// each stroke as anti-aliasing leaves it.
void text(Canvas& c, Lcg& rng, int x0, int y0, int x1, int y1, std::uint32_t bg, std::uint32_t ink,
          int line_height) {
  for (int y = y0 + 4; y + line_height <= y1; y += line_height + 6) {
    int x = x0 + 6;
    const int line_end = x1 - 6 - rng.below((x1 - x0) / 3 + 1);
    while (x + 8 < line_end) {
      const int word = 2 + rng.below(8);
      for (int g = 0; g < word && x + 8 < line_end; ++g) {
        const int glyph_width = 4 + rng.below(4);
        const std::uint32_t shape = rng.next();
        for (int s = 0; s < 4; ++s) {
          if (((shape >> s) & 1u) == 0) continue;
          if (s % 2 == 0) {
            const int sx = x + (s == 0 ? 0 : glyph_width - 1);
            for (int yy = y + (s == 2 ? 2 : 0); yy < y + line_height; ++yy) {
              c.put(sx, yy, ink);
              c.put(sx + 1, yy, mix(bg, ink, 96));
            }
          } else {
            const int sy = y + (s == 1 ? 2 : line_height - 1);
            for (int xx = x; xx < x + glyph_width; ++xx) {
              c.put(xx, sy, ink);
              c.put(xx, sy - 1, mix(bg, ink, 64));
            }
          }
        }
        x += glyph_width + 2;
      }
      x += 5;
    }
  }
}

}  // namespace

std::vector<std::uint8_t> make_ui_frame(int w, int h) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  Canvas c{w, h, pixels};
  Lcg rng{12345};
  c.fill(0, 0, w, h, 0xF3F3F3);
  // Title bar.
  c.fill(0, 0, w, 32, 0x1F3A5F);
  text(c, rng, 8, 8, w / 3, 30, 0x1F3A5F, 0xFFFFFF, 9);
  // Toolbar with labelled buttons.
  c.fill(0, 32, w, 72, 0xE6E6E6);
  for (int x = 8; x + 90 < w; x += 100) {
    c.fill(x, 38, x + 90, 66, 0xFDFDFD);
    c.border(x, 38, x + 90, 66, 0xA0A0A0);
    text(c, rng, x, 40, x + 90, 64, 0xFDFDFD, 0x202020, 8);
  }
  // Navigation panel.
  const int side = w / 6;
  c.fill(0, 72, side, h - 24, 0xEBEEF2);
  text(c, rng, 4, 76, side, h - 28, 0xEBEEF2, 0x303030, 9);
  c.fill(side, 72, side + 1, h - 24, 0xC8C8C8);
  // Document area: text on the left, a picture and list rows on the right.
  const int cx = side + 12;
  const int cw = w - side - 24;
  c.fill(cx, 84, cx + cw, h - 36, 0xFFFFFF);
  c.border(cx, 84, cx + cw, h - 36, 0xD0D0D0);
  const int px0 = cx + cw * 5 / 8;
  const int py0 = 100;
  const int px1 = cx + cw - 16;
  const int py1 = 100 + (h - 160) / 2;
  text(c, rng, cx + 8, 92, px0 - 8, h - 44, 0xFFFFFF, 0x111111, 9);
  for (int y = py0; y < py1; ++y) {
    for (int x = px0; x < px1; ++x) {
      const double fx = (x - px0) / 97.0;
      const double fy = (y - py0) / 131.0;
      const int noise = rng.below(9) - 4;
      const int r = static_cast<int>(120 + 70 * std::sin(fx) * std::cos(fy * 0.7)) + noise;
      const int g = static_cast<int>(140 + 60 * std::sin(fx * 0.5 + fy)) + noise;
      const int b = static_cast<int>(110 + 80 * std::cos(fx * 0.3 - fy * 0.9)) + noise;
      c.put(x, y, static_cast<std::uint32_t>(r << 16 | g << 8 | b));
    }
  }
  for (int y = py1 + 12; y + 24 < h - 44; y += 30) {
    c.fill(px0, y, px1, y + 24, (y / 30) % 2 ? 0xF7F9FC : 0xFFFFFF);
    text(c, rng, px0, y + 2, px1, y + 24, 0xFFFFFF, 0x333333, 8);
  }
  // Status bar.
  c.fill(0, h - 24, w, h, 0x2B579A);
  text(c, rng, 4, h - 22, w / 2, h, 0x2B579A, 0xFFFFFF, 8);
  return pixels;
}

}  // namespace winhelper::bench
