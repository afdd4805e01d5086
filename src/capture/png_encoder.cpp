#include "capture/png_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "capture/png_filter.h"

namespace winhelper {

namespace {

// Compressed data is cut into IDAT chunks of at most this size; it bounds the
// staging buffer and keeps every chunk far below PNG's 2^31 - 1 limit.
constexpr std::size_t kIdatChunkBytes = std::size_t{1} << 18;
// Raw filtered rows handed to deflate per call.
constexpr std::size_t kDeflateInputBytes = std::size_t{1} << 16;

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                 static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  out.insert(out.end(), bytes, bytes + 4);
}

void put_chunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data,
               std::size_t size) {
  put_u32(out, static_cast<std::uint32_t>(size));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  if (size > 0) out.insert(out.end(), data, data + size);
  uLong crc = crc32(0L, Z_NULL, 0);
  // crc32 takes uInt lengths; chunks stay far below that limit.
  crc = crc32(crc, out.data() + type_at, static_cast<uInt>(4 + size));
  put_u32(out, static_cast<std::uint32_t>(crc));
}

std::string zlib_error_text(const z_stream& stream, int rc) {
  if (stream.msg != nullptr) return stream.msg;
  const char* text = zError(rc);
  return text != nullptr ? text : "error " + std::to_string(rc);
}

HelperError png_failure(std::string text) {
  return {ErrorCode::CaptureFailed, "PNG encoding failed: " + std::move(text)};
}

// Owns the deflate stream so every exit path ends it.
class Deflater {
 public:
  Deflater() = default;
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  ~Deflater() {
    if (open_) deflateEnd(&stream_);
  }
  int open(const PngSettings& s) {
    const int rc = deflateInit2(&stream_, s.zlib_level, Z_DEFLATED, 15, 8, s.zlib_strategy);
    open_ = rc == Z_OK;
    return rc;
  }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool open_ = false;
};

}  // namespace

Result<std::vector<std::uint8_t>> encode_png_rgba(std::span<const std::uint8_t> rgba,
                                                  std::uint32_t width, std::uint32_t height,
                                                  const PngSettings& settings) {
  const std::size_t row_bytes = std::size_t{width} * 4;
  // Each deflate call takes at most 4 GiB, so one filtered row must fit.
  if (width == 0 || height == 0 || width > 0x3FFFFFFFu || height > 0x7FFFFFFFu ||
      rgba.size() / row_bytes < height)
    return png_failure("image size " + std::to_string(width) + "x" + std::to_string(height) +
                       " does not match " + std::to_string(rgba.size()) + " bytes of pixels");

  Deflater deflater;
  if (const int rc = deflater.open(settings); rc != Z_OK)
    return png_failure(zlib_error_text(deflater.stream(), rc));
  z_stream& z = deflater.stream();

  std::vector<std::uint8_t> png;
  png.reserve(rgba.size() / 8 + 1024);
  static constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  png.insert(png.end(), kSignature, kSignature + 8);
  std::array<std::uint8_t, 13> header{};
  for (int i = 0; i < 4; ++i) {
    header[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
    header[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
  }
  header[8] = 8;  // bits per channel
  header[9] = 6;  // colour type: RGBA
  put_chunk(png, "IHDR", header.data(), header.size());

  std::vector<std::uint8_t> staged(kIdatChunkBytes);
  z.next_out = staged.data();
  z.avail_out = static_cast<uInt>(staged.size());
  auto drain = [&](bool all) {
    const std::size_t used = staged.size() - z.avail_out;
    if (used == 0 || (!all && z.avail_out != 0)) return;
    put_chunk(png, "IDAT", staged.data(), used);
    z.next_out = staged.data();
    z.avail_out = static_cast<uInt>(staged.size());
  };
  // Deflates `size` bytes of input, or finishes the stream when `finish`.
  auto feed = [&](std::uint8_t* data, std::size_t size, bool finish) -> int {
    z.next_in = data;
    z.avail_in = static_cast<uInt>(size);
    for (;;) {
      const int rc = deflate(&z, finish ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_END) return Z_OK;
      if (rc != Z_OK && rc != Z_BUF_ERROR) return rc;
      if (z.avail_out == 0) {
        drain(false);
        continue;
      }
      if (!finish && z.avail_in == 0) return Z_OK;
    }
  };

  // Filtered rows are gathered into one input block per deflate call.
  const std::size_t line = row_bytes + 1;
  const std::size_t rows_per_block = std::max<std::size_t>(1, kDeflateInputBytes / line);
  std::vector<std::uint8_t> block(rows_per_block * line);
  const std::vector<std::uint8_t> zero_row(row_bytes, 0);
  std::size_t filled = 0;
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = rgba.data() + std::size_t{y} * row_bytes;
    const std::uint8_t* prev = y == 0 ? zero_row.data() : row - row_bytes;
    std::uint8_t* out = block.data() + filled;
    if (settings.adaptive_filter) {
      filter_row_adaptive(row, prev, row_bytes, out);
    } else {
      out[0] = 0;
      std::memcpy(out + 1, row, row_bytes);
    }
    filled += line;
    if (filled == block.size() || y + 1 == height) {
      if (const int rc = feed(block.data(), filled, false); rc != Z_OK)
        return png_failure(zlib_error_text(z, rc));
      filled = 0;
    }
  }
  if (const int rc = feed(nullptr, 0, true); rc != Z_OK) return png_failure(zlib_error_text(z, rc));
  drain(true);
  put_chunk(png, "IEND", nullptr, 0);
  return png;
}

}  // namespace winhelper
