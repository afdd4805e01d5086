#include "service/line_reader.h"

#include "common/text.h"

namespace winhelper {

LineReader::Next LineReader::next() {
  for (;;) {
    std::size_t lf = pending_.find('\n', scanned_);
    if (lf != std::string::npos || (at_end_ && !pending_.empty())) {
      std::size_t take = lf == std::string::npos ? pending_.size() : lf + 1;
      Next out;
      out.line.assign(pending_, 0, take);
      pending_.erase(0, take);
      scanned_ = 0;
      if (discarding_) {
        discarding_ = false;
        return {Status::TooLong, {}, {}};
      }
      if (options_.require_utf8 && !is_valid_utf8(out.line)) {
        return {Status::Error, {}, "stream did not contain valid UTF-8"};
      }
      if (!out.line.empty() && out.line.back() == '\n') out.line.pop_back();
      if (!out.line.empty() && out.line.back() == '\r') out.line.pop_back();
      if (options_.max_line_bytes != 0 && out.line.size() > options_.max_line_bytes) {
        return {Status::TooLong, {}, {}};
      }
      out.status = Status::Line;
      return out;
    }
    if (at_end_) {
      if (discarding_) {
        discarding_ = false;
        return {Status::TooLong, {}, {}};
      }
      return {Status::End, {}, {}};
    }
    // No line feed yet: a line already longer than the limit (with room for
    // its CR) is dropped as it arrives, so memory stays bounded.
    if (options_.max_line_bytes != 0 && pending_.size() > options_.max_line_bytes + 1) {
      pending_.clear();
      discarding_ = true;
    }
    scanned_ = pending_.size();
    ByteInput::Chunk chunk = input_.read(buffer_.data(), buffer_.size());
    if (chunk.failed) return {Status::Error, {}, chunk.error};
    if (chunk.size == 0) {
      at_end_ = true;
      continue;
    }
    pending_.append(buffer_.data(), chunk.size);
  }
}

}  // namespace winhelper
