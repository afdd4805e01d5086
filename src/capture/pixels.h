#pragma once
// Operations on captured 32-bit pixel buffers (4 bytes a pixel, rows top to
// bottom, no padding).

#include <cstdint>
#include <span>

namespace winhelper {

// True when at least one sampled pixel has a blue, green or red byte above 7.
// Samples pixel 0 and every 97th pixel after it, so an all-black grab (what a
// window that cannot print itself yields) is told apart cheaply.
bool has_visible_content(std::span<const std::uint8_t> bgra);

// Turns blue-green-red-x pixels into red-green-blue-alpha in place. The fourth
// byte that GDI delivers is undefined (mostly 0), so it is set to 255: a
// screenshot is opaque, and a PNG with the raw byte as alpha would decode as
// an invisible picture.
void bgrx_to_opaque_rgba(std::span<std::uint8_t> pixels);

}  // namespace winhelper
