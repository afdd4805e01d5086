#pragma once
// Splits standard input into lines: the bytes up to and including the next
// line feed, or up to the end of input. By default each line must be valid
// UTF-8 and may be of any length, as the line protocol wants; a reader given
// a limit drops longer lines (keeping at most the limit plus one read chunk
// in memory) and reports each as TooLong.

#include <cstddef>
#include <string>
#include <vector>

#include "service/streams.h"

namespace winhelper {

class LineReader {
 public:
  enum class Status { Line, End, Error, TooLong };
  struct Next {
    Status status = Status::End;
    std::string line;   // without its line feed and one carriage return before it
    std::string error;  // for Status::Error
  };
  struct Options {
    // Longest line kept, line feed and carriage return not counted; 0: no limit.
    std::size_t max_line_bytes = 0;
    // False: bytes are passed on unchecked (the caller's parser judges them).
    bool require_utf8 = true;
  };

  explicit LineReader(ByteInput& input) : input_(input) {}
  LineReader(ByteInput& input, Options options) : input_(input), options_(options) {}
  Next next();

 private:
  ByteInput& input_;
  Options options_;
  std::vector<char> buffer_ = std::vector<char>(64 * 1024);
  std::string pending_;
  std::size_t scanned_ = 0;  // bytes of pending_ known to hold no line feed
  bool at_end_ = false;
  bool discarding_ = false;  // inside a line already found too long
};

}  // namespace winhelper
