#include "capture/base64.h"

namespace winhelper {

std::string base64_encode(std::span<const std::uint8_t> bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::size_t n = bytes.size();
  std::string out(base64_length(n), '=');
  const std::uint8_t* in = bytes.data();
  char* o = out.data();
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3, o += 4) {
    const std::uint32_t v = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = kAlphabet[(v >> 6) & 63];
    o[3] = kAlphabet[v & 63];
  }
  if (const std::size_t rest = n - i; rest > 0) {
    const std::uint32_t v =
        std::uint32_t{in[i]} << 16 | (rest == 2 ? std::uint32_t{in[i + 1]} << 8 : 0u);
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    if (rest == 2) o[2] = kAlphabet[(v >> 6) & 63];
  }
  return out;
}

}  // namespace winhelper
