#pragma once
// Deterministic UI-like frames for the image-path benchmarks: flat panels with
// borders, lines of glyph-like strokes with anti-aliased edges, list rows and
// a photo-like region of smooth colour with noise.

#include <cstdint>
#include <vector>

namespace winhelper::bench {

// Blue-green-red-x pixels as GDI delivers them (fourth byte 0), rows top to
// bottom. The same size always gives the same frame.
std::vector<std::uint8_t> make_ui_frame(int width, int height);

}  // namespace winhelper::bench
