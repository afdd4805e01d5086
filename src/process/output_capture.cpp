#include "process/output_capture.h"

#include <algorithm>

#include "common/text.h"

namespace winhelper {

namespace {

constexpr std::uint32_t kUtf8CodePage = 65001;

// What a lead byte asks of the sequence it starts: how many continuation
// bytes follow, and the range of the first (which rules out overlong forms,
// surrogates and values beyond U+10FFFF). need < 0: not a lead byte.
struct Lead {
  int need;
  unsigned char low, high;
};

Lead lead_of(unsigned char b) {
  if (b < 0x80) return {0, 0x80, 0xBF};
  if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
  if (b == 0xE0) return {2, 0xA0, 0xBF};
  if (b == 0xED) return {2, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF};
  if (b == 0xF0) return {3, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
  if (b == 0xF4) return {3, 0x80, 0x8F};
  return {-1, 0, 0};
}

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

std::string utf16le_text(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return utf16_to_utf8(units);
}

std::uint64_t count_chars(std::string_view utf8) {
  return static_cast<std::uint64_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return !is_continuation(static_cast<unsigned char>(c)); }));
}

// The byte offset where character `chars` of valid UTF-8 text starts.
std::size_t offset_of_char(std::string_view utf8, std::uint64_t chars) {
  std::size_t at = 0;
  for (std::uint64_t seen = 0; at < utf8.size(); ++at) {
    if (is_continuation(static_cast<unsigned char>(utf8[at]))) continue;
    if (seen++ == chars) return at;
  }
  return at;
}

std::string first_chars(std::string_view utf8, std::uint64_t chars) {
  return std::string(utf8.substr(0, offset_of_char(utf8, chars)));
}

std::string last_chars(std::string_view utf8, std::uint64_t chars) {
  std::uint64_t total = count_chars(utf8);
  return std::string(utf8.substr(offset_of_char(utf8, total - std::min(total, chars))));
}

std::string omitted_marker(std::uint64_t chars) {
  return "\n[... " + std::to_string(chars) + " characters omitted ...]\n";
}

std::string decode_bytes(std::string_view bytes, const CodePages& pages,
                         const CodePageDecoder& decode) {
  if (is_valid_utf8(bytes)) return std::string(bytes);
  for (std::uint32_t page : {pages.console_output, pages.oem}) {
    if (page == 0 || page == kUtf8CodePage) continue;
    if (std::optional<std::string> text = decode(bytes, page)) return *std::move(text);
  }
  return utf8_lossy(bytes);
}

bool has_zero_byte(std::string_view bytes) { return bytes.find('\0') != std::string_view::npos; }

// A stream of the command interpreter told to write UTF-16, which holds a
// zero byte, split into lines of either kind. Text in a code page has no
// zero bytes, while every UTF-16 line of the interpreter has one (its CR LF
// has two), so a line with a zero byte is UTF-16, up to its aligned line
// feed. A line without one is bytes when it ends in CR LF, as Windows
// programs end their lines, or when its line feed cannot be the low byte of
// a UTF-16 unit: at an odd offset, or with no aligned UTF-16 CR LF after it.
// So "上\r\n" in UTF-16, whose first byte is a line feed, stays UTF-16.
std::string interpreter_text(std::string_view bytes, const CodePages& pages,
                             const CodePageDecoder& decode) {
  std::string out, run;  // `run`: consecutive byte lines, decoded together
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::string_view rest = bytes.substr(pos);
    std::size_t feed = rest.find('\n');
    std::string_view line = rest.substr(0, feed == std::string_view::npos ? rest.size() : feed + 1);
    std::size_t wide_end = rest.size();
    bool wide_crlf = false;
    for (std::size_t at = 0; at + 1 < rest.size(); at += 2) {
      if (rest[at] == '\n' && rest[at + 1] == '\0') {
        wide_end = at + 2;
        wide_crlf = at >= 2 && rest[at - 2] == '\r' && rest[at - 1] == '\0';
        break;
      }
    }
    if (!has_zero_byte(line) &&
        (line.ends_with("\r\n") || line.size() % 2 == 0 || !wide_crlf)) {
      run += line;
      pos += line.size();
      continue;
    }
    if (!run.empty()) out += decode_bytes(std::exchange(run, {}), pages, decode);
    out += utf16le_text(rest.substr(0, wide_end));
    if (wide_end % 2 != 0) out += "\xEF\xBF\xBD";  // a unit cut short
    pos += wide_end;
  }
  if (!run.empty()) out += decode_bytes(run, pages, decode);
  return out;
}

}  // namespace

std::string utf8_lossy(std::string_view bytes) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    Lead lead = lead_of(static_cast<unsigned char>(bytes[i]));
    if (lead.need < 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    // The longest valid start of a sequence is replaced as one character.
    std::size_t end = i + 1;
    for (int k = 0; k < lead.need; ++k, ++end) {
      if (end >= bytes.size()) break;
      auto b = static_cast<unsigned char>(bytes[end]);
      if (b < lead.low || b > lead.high) break;
      lead.low = 0x80;
      lead.high = 0xBF;
    }
    if (end - i == static_cast<std::size_t>(lead.need) + 1) {
      out.append(bytes.substr(i, end - i));
    } else {
      out += kReplacement;
    }
    i = end;
  }
  return out;
}

std::string decode_output(std::string_view bytes, StreamForm form, const CodePages& pages,
                          const CodePageDecoder& decode) {
  if (form == StreamForm::Utf16Preferred && has_zero_byte(bytes)) {
    return interpreter_text(bytes, pages, decode);
  }
  return decode_bytes(bytes, pages, decode);
}

OutputCapture::OutputCapture(std::uint64_t max_chars) : max_chars_(max_chars) {
  // Four bytes hold any character; four more cover a character cut at the
  // edge. Even sizes keep the tail aligned on UTF-16 units.
  head_cap_ = static_cast<std::size_t>(4 * ((max_chars + 1) / 2) + 4);
  tail_cap_ = static_cast<std::size_t>(4 * (max_chars / 2) + 4);
}

void OutputCapture::append(std::string_view bytes) {
  total_bytes_ += bytes.size();
  if (utf8_valid_) {
    for (char c : bytes) {
      auto b = static_cast<unsigned char>(c);
      if (utf8_pending_ == 0) {
        Lead lead = lead_of(b);
        if (lead.need < 0) {
          utf8_valid_ = false;
          break;
        }
        utf8_pending_ = lead.need;
        utf8_low_ = lead.low;
        utf8_high_ = lead.high;
      } else if (b < utf8_low_ || b > utf8_high_) {
        utf8_valid_ = false;
        break;
      } else {
        --utf8_pending_;
        utf8_low_ = 0x80;
        utf8_high_ = 0xBF;
      }
    }
  }
  std::size_t to_head = std::min(bytes.size(), head_cap_ - head_.size());
  head_.append(bytes.substr(0, to_head));
  tail_.append(bytes.substr(to_head));
  // The tail is cut back to its size once it holds twice as much, so that
  // bytes are moved only now and then.
  if (tail_.size() >= 2 * tail_cap_ + 2) {
    std::size_t drop = (tail_.size() - tail_cap_) & ~std::size_t{1};
    drop_middle(std::string_view(tail_).substr(0, drop));
    tail_.erase(0, drop);
  }
}

void OutputCapture::drop_middle(std::string_view bytes) {
  middle_bytes_ += bytes.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (!is_continuation(b)) ++middle_utf8_chars_;
    if (b == 0) middle_has_zero_ = true;
    // A UTF-16 character is one unit, or a high surrogate and a low one.
    if (i % 2 == 1 && !(b >= 0xDC && b <= 0xDF)) ++middle_utf16_chars_;
  }
}

CapturedText OutputCapture::finish(StreamForm form, const CodePages& pages,
                                   const CodePageDecoder& decode) const {
  const std::uint64_t head_chars = (max_chars_ + 1) / 2, tail_chars = max_chars_ / 2;
  CapturedText out;
  if (middle_bytes_ == 0) {
    std::string text = decode_output(head_ + tail_, form, pages, decode);
    out.total_chars = count_chars(text);
    if (out.total_chars <= max_chars_) {
      out.text = std::move(text);
      return out;
    }
    out.truncated = true;
    out.text = first_chars(text, head_chars) + omitted_marker(out.total_chars - max_chars_) +
               last_chars(text, tail_chars);
    return out;
  }
  // Too much to keep: the head and the tail are decoded on their own, by
  // the reading the whole stream takes, and the middle is counted.
  std::string head, tail;
  std::uint64_t middle_chars = middle_bytes_;
  if (form == StreamForm::Utf16Preferred &&
      (middle_has_zero_ || has_zero_byte(head_) || has_zero_byte(tail_))) {
    head = interpreter_text(head_, pages, decode);
    // A pair's low half cut from its high half, which the middle counted.
    bool cut_pair = tail_.size() >= 2 && static_cast<unsigned char>(tail_[1]) >= 0xDC &&
                    static_cast<unsigned char>(tail_[1]) <= 0xDF;
    tail = interpreter_text(std::string_view(tail_).substr(cut_pair ? 2 : 0), pages, decode);
    middle_chars = middle_utf16_chars_;
  } else if (utf8_valid_ && utf8_pending_ == 0) {
    head = utf8_lossy(head_);  // its last character may be cut
    std::size_t start = 0;     // a character begun in the middle was counted there
    while (start < tail_.size() && is_continuation(static_cast<unsigned char>(tail_[start]))) {
      ++start;
    }
    tail = tail_.substr(start);
    middle_chars = middle_utf8_chars_;
  } else {
    // A double-byte code page counts the dropped middle one per byte.
    head = decode_bytes(head_, pages, decode);
    tail = decode_bytes(tail_, pages, decode);
  }
  out.total_chars = count_chars(head) + middle_chars + count_chars(tail);
  out.truncated = true;
  out.text = first_chars(head, head_chars) +
             omitted_marker(out.total_chars - std::min(out.total_chars, max_chars_)) +
             last_chars(tail, tail_chars);
  return out;
}

}  // namespace winhelper
