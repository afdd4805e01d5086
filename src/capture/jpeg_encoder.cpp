#include "capture/jpeg_encoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace winhelper {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back to the encoder with the message kept.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void on_message(j_common_ptr, int) {}  // warnings and traces are not written to stderr

// Everything between setjmp and a longjmp is plain data, so the jump skips
// no destructor. Returns false with `manager.message` set on failure; on
// success `out`/`out_size` hold a malloc'd buffer the caller frees.
bool compress(const std::uint8_t* rgba, std::uint32_t width, std::uint32_t height, int quality,
              ErrorManager& manager, unsigned char*& out, unsigned long& out_size) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&manager.base);
  manager.base.error_exit = on_error;
  manager.base.emit_message = on_message;
  manager.message[0] = '\0';
  if (setjmp(manager.jump) != 0) {
    jpeg_destroy_compress(&info);
    std::free(out);
    out = nullptr;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &out, &out_size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 4;
  info.in_color_space = JCS_EXT_RGBX;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = std::size_t{width} * 4;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgba + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

Result<std::vector<std::uint8_t>> encode_jpeg_rgba(std::span<const std::uint8_t> rgba,
                                                   std::uint32_t width, std::uint32_t height,
                                                   int quality) {
  if (quality < kJpegQualityMin || quality > kJpegQualityMax)
    return HelperError{ErrorCode::CaptureFailed,
                       "JPEG encoding failed: quality " + std::to_string(quality) +
                           " is outside 1..100"};
  if (rgba.size() < std::size_t{width} * height * 4)
    return HelperError{ErrorCode::CaptureFailed, "JPEG encoding failed: too few pixels"};
  ErrorManager manager;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (!compress(rgba.data(), width, height, quality, manager, buffer, size))
    return HelperError{ErrorCode::CaptureFailed,
                       std::string("JPEG encoding failed: ") + manager.message};
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace winhelper
