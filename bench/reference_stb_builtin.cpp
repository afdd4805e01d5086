#include "reference_encoders.h"

#include <cstdlib>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace winhelper::bench {

std::size_t stb_png_builtin(const std::uint8_t* rgba, int width, int height) {
  int len = 0;
  unsigned char* png = stbi_write_png_to_mem(rgba, width * 4, width, height, 4, &len);
  if (png == nullptr) return 0;
  std::free(png);
  return static_cast<std::size_t>(len);
}

namespace {

void count_bytes(void* context, void*, int size) {
  *static_cast<std::size_t*>(context) += static_cast<std::size_t>(size);
}

}  // namespace

std::size_t stb_jpeg(const std::uint8_t* rgba, int width, int height, int quality) {
  std::size_t bytes = 0;
  if (stbi_write_jpg_to_func(count_bytes, &bytes, width, height, 4, rgba, quality) == 0) return 0;
  return bytes;
}

}  // namespace winhelper::bench
