#pragma once
// Writes whole lines onto standard output, one at a time, never interleaved.
// The reader thread and every worker write through the same writer.

#include <mutex>
#include <string>

#include "protocol/request.h"
#include "service/streams.h"

namespace winhelper {

class LineWriter {
 public:
  explicit LineWriter(ByteOutput& output) : output_(output) {}
  // `line` comes without its line feed. Write failures (a closed pipe) are
  // ignored: the helper carries on.
  void write_line(std::string line);
  // One line-protocol response.
  void write(const Response& response);

 private:
  ByteOutput& output_;
  std::mutex mutex_;
};

}  // namespace winhelper
