#include <zlib.h>

#include <cstdlib>

#include "reference_encoders.h"

namespace {

// stb calls this with its compression level; the caller sets it per run.
unsigned char* zlib_compress(unsigned char* data, int size, int* out_size, int level) {
  uLongf bound = compressBound(static_cast<uLong>(size));
  auto* out = static_cast<unsigned char*>(std::malloc(bound));
  if (out == nullptr) return nullptr;
  if (compress2(out, &bound, data, static_cast<uLong>(size), level) != Z_OK) {
    std::free(out);
    return nullptr;
  }
  *out_size = static_cast<int>(bound);
  return out;
}

}  // namespace

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STBIW_ZLIB_COMPRESS zlib_compress
#include <stb/stb_image_write.h>

namespace winhelper::bench {

std::size_t stb_png_over_zlib(const std::uint8_t* rgba, int width, int height, int level) {
  stbi_write_png_compression_level = level;
  int len = 0;
  unsigned char* png = stbi_write_png_to_mem(rgba, width * 4, width, height, 4, &len);
  if (png == nullptr) return 0;
  std::free(png);
  return static_cast<std::size_t>(len);
}

}  // namespace winhelper::bench
