#pragma once
// Test helper: decodes Base64 text and PNG files with independent code (stb's
// PNG reader), so encoder tests do not check the encoder against itself.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

namespace winhelper::testing_png {

struct Decoded {
  int width = 0;
  int height = 0;
  int channels_in_file = 0;
  std::vector<std::uint8_t> rgba;
};

inline std::vector<std::uint8_t> base64_decode(const std::string& text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  if (text.size() % 4 != 0) throw std::runtime_error("base64 length not a multiple of 4");
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    int v[4];
    int pad = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + static_cast<std::size_t>(k)];
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        v[k] = 0;
        ++pad;
        continue;
      }
      v[k] = value(c);
      if (v[k] < 0 || pad > 0) throw std::runtime_error("bad base64 character");
    }
    const std::uint32_t n = static_cast<std::uint32_t>(v[0] << 18 | v[1] << 12 | v[2] << 6 | v[3]);
    out.push_back(static_cast<std::uint8_t>(n >> 16));
    if (pad < 2) out.push_back(static_cast<std::uint8_t>(n >> 8));
    if (pad < 1) out.push_back(static_cast<std::uint8_t>(n));
  }
  return out;
}

inline Decoded decode_png(const std::vector<std::uint8_t>& file) {
  Decoded d;
  unsigned char* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &d.width,
                                                &d.height, &d.channels_in_file, 4);
  if (pixels == nullptr) throw std::runtime_error(std::string("PNG decode: ") + stbi_failure_reason());
  d.rgba.assign(pixels, pixels + static_cast<std::size_t>(d.width) * static_cast<std::size_t>(d.height) * 4);
  stbi_image_free(pixels);
  return d;
}

inline Decoded decode_base64(const std::string& text) { return decode_png(base64_decode(text)); }

}  // namespace winhelper::testing_png
