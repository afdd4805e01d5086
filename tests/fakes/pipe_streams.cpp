#include "fakes/pipe_streams.h"

#include <algorithm>
#include <cstring>

namespace winhelper::fakes {

void PipeInput::feed(std::string bytes) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    data_ += bytes;
  }
  ready_.notify_all();
}

void PipeInput::close() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    closed_ = true;
  }
  ready_.notify_all();
}

void PipeInput::fail(std::string description) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    failure_ = std::move(description);
  }
  ready_.notify_all();
}

ByteInput::Chunk PipeInput::read(char* buffer, std::size_t capacity) {
  std::unique_lock<std::mutex> hold(mutex_);
  ready_.wait(hold, [&] { return !data_.empty() || closed_ || !failure_.empty(); });
  if (!data_.empty()) {
    std::size_t n = std::min(capacity, data_.size());
    std::memcpy(buffer, data_.data(), n);
    data_.erase(0, n);
    return {n, false, {}};
  }
  if (!failure_.empty()) return {0, true, failure_};
  return {};
}

bool LineOutput::write(std::string_view bytes) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (broken_) return false;
  raw_ += bytes;
  std::size_t start = 0;
  std::size_t lf;
  std::string all(bytes);
  while ((lf = all.find('\n', start)) != std::string::npos) {
    lines_.push_back(all.substr(start, lf - start));
    start = lf + 1;
  }
  ready_.notify_all();
  return true;
}

bool LineOutput::wait_for_lines(std::size_t n, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> hold(mutex_);
  return ready_.wait_for(hold, limit, [&] { return lines_.size() >= n; });
}

std::vector<std::string> LineOutput::lines() {
  std::lock_guard<std::mutex> hold(mutex_);
  return lines_;
}

std::string LineOutput::raw() {
  std::lock_guard<std::mutex> hold(mutex_);
  return raw_;
}

void LineOutput::set_broken(bool broken) {
  std::lock_guard<std::mutex> hold(mutex_);
  broken_ = broken;
}

}  // namespace winhelper::fakes
