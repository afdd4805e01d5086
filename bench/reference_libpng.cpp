#include <png.h>

#include <vector>

#include "reference_encoders.h"

namespace winhelper::bench {

namespace {

void append(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void flush(png_structp) {}

}  // namespace

std::size_t libpng_level1_all_filters(const std::uint8_t* rgba, int width, int height) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 2);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return 0;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return 0;
  }
  png_set_write_fn(png, &out, append, flush);
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out.size();
}

}  // namespace winhelper::bench
