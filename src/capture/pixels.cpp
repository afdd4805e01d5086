#include "capture/pixels.h"

namespace winhelper {

namespace {
constexpr std::size_t kContentSampleStep = 97;
constexpr std::uint8_t kBlackThreshold = 7;
}  // namespace

bool has_visible_content(std::span<const std::uint8_t> bgra) {
  const std::size_t count = bgra.size() / 4;
  for (std::size_t i = 0; i < count; i += kContentSampleStep) {
    const std::uint8_t* p = bgra.data() + i * 4;
    if (p[0] > kBlackThreshold || p[1] > kBlackThreshold || p[2] > kBlackThreshold) return true;
  }
  return false;
}

void bgrx_to_opaque_rgba(std::span<std::uint8_t> pixels) {
  std::uint8_t* p = pixels.data();
  std::uint8_t* const end = p + pixels.size() / 4 * 4;
  for (; p != end; p += 4) {
    const std::uint8_t blue = p[0];
    p[0] = p[2];
    p[2] = blue;
    p[3] = 0xFF;
  }
}

}  // namespace winhelper
