#include "common/lowercase.h"

#include "common/text.h"

namespace winhelper {

namespace {

bool in(char32_t cp, char32_t first, char32_t last) { return cp >= first && cp <= last; }

// Blocks where upper- and lower-case letters alternate, upper case first.
char32_t lower_alternating(char32_t cp, char32_t first, char32_t last) {
  if (in(cp, first, last) && (cp - first) % 2 == 0) return cp + 1;
  return cp;
}

// Latin Extended-A and -B, where the alternation shifts in places.
char32_t lower_latin_extended(char32_t cp) {
  if (cp == 0x0130) return U'i';
  if (cp == 0x0178) return 0x00FF;
  if (in(cp, 0x0100, 0x012F) || in(cp, 0x0132, 0x0137) || in(cp, 0x014A, 0x0177)) {
    return (cp % 2 == 0) ? cp + 1 : cp;
  }
  if (in(cp, 0x0139, 0x0148) || in(cp, 0x0179, 0x017E)) {
    return (cp % 2 == 1) ? cp + 1 : cp;
  }
  if (in(cp, 0x01CD, 0x01DC)) return (cp % 2 == 1) ? cp + 1 : cp;
  if (in(cp, 0x01DE, 0x01EF) || in(cp, 0x01F8, 0x021F) || in(cp, 0x0222, 0x0233)) {
    return (cp % 2 == 0) ? cp + 1 : cp;
  }
  return cp;
}

}  // namespace

char32_t to_lower_scalar(char32_t cp) {
  if (cp < 0x80) return (cp >= U'A' && cp <= U'Z') ? cp + 32 : cp;
  if (in(cp, 0x00C0, 0x00DE) && cp != 0x00D7) return cp + 32;
  if (in(cp, 0x0100, 0x0233)) return lower_latin_extended(cp);
  // Greek.
  if (cp == 0x0386) return 0x03AC;
  if (in(cp, 0x0388, 0x038A)) return cp + 37;
  if (cp == 0x038C) return 0x03CC;
  if (in(cp, 0x038E, 0x038F)) return cp + 63;
  if (in(cp, 0x0391, 0x03AB) && cp != 0x03A2) return cp + 32;
  if (in(cp, 0x03D8, 0x03EF)) return lower_alternating(cp, 0x03D8, 0x03EF);
  // Cyrillic.
  if (in(cp, 0x0400, 0x040F)) return cp + 80;
  if (in(cp, 0x0410, 0x042F)) return cp + 32;
  if (in(cp, 0x0460, 0x0481) || in(cp, 0x048A, 0x04BF) || in(cp, 0x04D0, 0x052F)) {
    return (cp % 2 == 0) ? cp + 1 : cp;
  }
  if (cp == 0x04C0) return 0x04CF;
  if (in(cp, 0x04C1, 0x04CE)) return (cp % 2 == 1) ? cp + 1 : cp;
  // Armenian and Georgian.
  if (in(cp, 0x0531, 0x0556)) return cp + 48;
  if (in(cp, 0x10A0, 0x10C5)) return cp + 7264;
  // Latin Extended Additional.
  if (in(cp, 0x1E00, 0x1E95) || in(cp, 0x1EA0, 0x1EFF)) return (cp % 2 == 0) ? cp + 1 : cp;
  // Full-width Latin capitals.
  if (in(cp, 0xFF21, 0xFF3A)) return cp + 32;
  return cp;
}

std::string to_lower_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size() || !is_valid_utf8(text.substr(i, length))) {
      out.push_back(text[i]);
      ++i;
      continue;
    }
    char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    append_utf8(out, to_lower_scalar(cp));
    i += length;
  }
  return out;
}

std::string to_lower_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace winhelper
