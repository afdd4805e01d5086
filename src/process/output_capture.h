#pragma once
// One output stream of a running command, kept within bounds as it arrives:
// its first and last bytes, enough for the characters an answer shows, and
// counts of the dropped middle. At the end the kept bytes are decoded and
// cut to the head and tail an answer shows.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "process/command_runner.h"

namespace winhelper {

// How a stream's bytes are read.
enum class StreamForm {
  // UTF-8 when valid, else the console output code page, else the OEM one.
  Bytes,
  // The command interpreter told to write UTF-16: its own lines are UTF-16LE,
  // while a program it starts writes its own bytes, so the stream is read
  // line by line (see interpreter_text in the source).
  Utf16Preferred,
};

// What an answer shows of a stream.
struct CapturedText {
  std::string text;  // valid UTF-8
  std::uint64_t total_chars = 0;
  bool truncated = false;
};

// Decodes bytes in a code page; nothing when they are not valid there.
using CodePageDecoder =
    std::function<std::optional<std::string>(std::string_view bytes, std::uint32_t code_page)>;

// Bytes as UTF-8, each invalid sequence replaced by U+FFFD.
std::string utf8_lossy(std::string_view bytes);

// The whole of a stream's bytes as text, by the rules of `form`.
std::string decode_output(std::string_view bytes, StreamForm form, const CodePages& pages,
                          const CodePageDecoder& decode);

class OutputCapture {
 public:
  // Keeps enough for `max_chars` characters, half from each end.
  explicit OutputCapture(std::uint64_t max_chars);

  void append(std::string_view bytes);
  std::uint64_t total_bytes() const { return total_bytes_; }

  // The text an answer shows: all of it when it has at most `max_chars`
  // characters, else the first half and the last half with a marker
  // between that says how many characters were left out.
  CapturedText finish(StreamForm form, const CodePages& pages, const CodePageDecoder& decode) const;

 private:
  void drop_middle(std::string_view bytes);

  std::uint64_t max_chars_;
  std::size_t head_cap_;
  std::size_t tail_cap_;
  std::string head_;
  std::string tail_;
  std::uint64_t total_bytes_ = 0;
  // The dropped middle: its bytes, and its characters as each form counts them.
  std::uint64_t middle_bytes_ = 0;
  std::uint64_t middle_utf8_chars_ = 0;
  std::uint64_t middle_utf16_chars_ = 0;
  bool middle_has_zero_ = false;
  // UTF-8 validity of the whole stream, checked as it arrives.
  bool utf8_valid_ = true;
  int utf8_pending_ = 0;    // continuation bytes still due
  unsigned char utf8_low_ = 0x80, utf8_high_ = 0xBF;  // range of the next one
};

}  // namespace winhelper
