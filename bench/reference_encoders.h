#pragma once
// Other PNG encoders, run on the same frames as the helper's encoder so the
// figures in docs/performance.md come from one run. Each returns the size of
// the PNG file it produced (0 on failure).

#include <cstddef>
#include <cstdint>

namespace winhelper::bench {

// stb's writer with its own built-in deflate, at its default settings.
std::size_t stb_png_builtin(const std::uint8_t* rgba, int width, int height);

// stb's writer (its own filter choice) with zlib's deflate at `level` behind it.
std::size_t stb_png_over_zlib(const std::uint8_t* rgba, int width, int height, int level);

// stb's JPEG writer at `quality` (1..100) from RGBA; returns the file size.
std::size_t stb_jpeg(const std::uint8_t* rgba, int width, int height, int quality);

// libpng at zlib level 1 with all five filters enabled.
std::size_t libpng_level1_all_filters(const std::uint8_t* rgba, int width, int height);

}  // namespace winhelper::bench
