#pragma once
// In-memory standard streams for driving the real service from tests: the
// input is fed incrementally like a pipe, the output collects whole lines.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "service/streams.h"

namespace winhelper::fakes {

class PipeInput final : public ByteInput {
 public:
  void feed(std::string bytes);
  void close();
  // Makes the next read (after what was fed) fail with this description.
  void fail(std::string description);
  Chunk read(char* buffer, std::size_t capacity) override;

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::string data_;
  bool closed_ = false;
  std::string failure_;
};

class LineOutput final : public ByteOutput {
 public:
  bool write(std::string_view bytes) override;
  // Waits (in real time, bounded) until at least n lines arrived.
  bool wait_for_lines(std::size_t n, std::chrono::milliseconds limit = std::chrono::seconds(10));
  std::vector<std::string> lines();
  std::string raw();
  void set_broken(bool broken);

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::string raw_;
  std::vector<std::string> lines_;
  bool broken_ = false;
};

}  // namespace winhelper::fakes
