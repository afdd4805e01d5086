#pragma once
// Splits standard input into lines: the bytes up to and including the next
// line feed, or up to the end of input. Each line must be valid UTF-8.

#include <string>
#include <vector>

#include "service/streams.h"

namespace winhelper {

class LineReader {
 public:
  enum class Status { Line, End, Error };
  struct Next {
    Status status = Status::End;
    std::string line;   // without its line feed and one carriage return before it
    std::string error;  // for Status::Error
  };

  explicit LineReader(ByteInput& input) : input_(input) {}
  Next next();

 private:
  ByteInput& input_;
  std::vector<char> buffer_ = std::vector<char>(64 * 1024);
  std::string pending_;
  std::size_t scanned_ = 0;  // bytes of pending_ known to hold no line feed
  bool at_end_ = false;
};

}  // namespace winhelper
