#pragma once
// An in-memory pipe with a fixed capacity, like the operating system's: a
// writer blocks while the reader has not taken enough, so a test can send
// "as fast as the pipe takes them" without buffering all its input.

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

#include "service/streams.h"

namespace winhelper::stress {

class BoundedPipe final : public ByteInput {
 public:
  explicit BoundedPipe(std::size_t capacity) : capacity_(capacity) {}

  // Blocks until every byte has been accepted.
  void write(std::string_view bytes) {
    while (!bytes.empty()) {
      std::unique_lock<std::mutex> hold(mutex_);
      space_.wait(hold, [&] { return held_ < capacity_; });
      std::size_t n = std::min(bytes.size(), capacity_ - held_);
      chunks_.emplace_back(bytes.substr(0, n));
      held_ += n;
      bytes.remove_prefix(n);
      data_.notify_all();
    }
  }

  void close() {
    std::lock_guard<std::mutex> hold(mutex_);
    closed_ = true;
    data_.notify_all();
  }

  Chunk read(char* buffer, std::size_t capacity) override {
    std::unique_lock<std::mutex> hold(mutex_);
    data_.wait(hold, [&] { return held_ > 0 || closed_; });
    std::size_t copied = 0;
    while (copied < capacity && !chunks_.empty()) {
      std::string& front = chunks_.front();
      std::size_t n = std::min(capacity - copied, front.size() - front_offset_);
      std::memcpy(buffer + copied, front.data() + front_offset_, n);
      copied += n;
      front_offset_ += n;
      if (front_offset_ == front.size()) {
        chunks_.pop_front();
        front_offset_ = 0;
      }
    }
    held_ -= copied;
    space_.notify_all();
    return {copied, false, {}};
  }

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable data_;
  std::condition_variable space_;
  std::deque<std::string> chunks_;
  std::size_t front_offset_ = 0;
  std::size_t held_ = 0;
  bool closed_ = false;
};

}  // namespace winhelper::stress
