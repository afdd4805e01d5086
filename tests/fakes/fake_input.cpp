#include "fakes/fake_input.h"

#include <algorithm>

namespace winhelper::fakes {

std::optional<std::uint32_t> FakeInput::next_failure() {
  int number = static_cast<int>(calls_.size());  // already counts this call
  if (fail_from_ > 0 && number >= fail_from_) return 0u;
  for (const auto& [n, inserted] : failing_) {
    if (n == number) return inserted;
  }
  return std::nullopt;
}

std::uint32_t FakeInput::send_input(std::span<const InputEvent> events) {
  std::lock_guard<std::mutex> hold(m_);
  calls_.push_back(SendCall{{events.begin(), events.end()}});
  auto requested = static_cast<std::uint32_t>(events.size());
  if (auto inserted = next_failure()) return std::min(*inserted, requested);
  return requested;
}

std::optional<std::string> FakeInput::set_cursor_pos(ScreenPoint point) {
  std::lock_guard<std::mutex> hold(m_);
  calls_.push_back(CursorCall{point});
  if (next_failure()) return std::string(kCursorFailure);
  cursor_ = point;
  return std::nullopt;
}

void FakeInput::fail_call(int n, std::uint32_t inserted) {
  std::lock_guard<std::mutex> hold(m_);
  failing_.emplace_back(n, inserted);
}

void FakeInput::fail_from(int n) {
  std::lock_guard<std::mutex> hold(m_);
  fail_from_ = n;
}

std::vector<InputCall> FakeInput::calls() const {
  std::lock_guard<std::mutex> hold(m_);
  return calls_;
}

std::vector<InputEvent> FakeInput::events() const {
  std::lock_guard<std::mutex> hold(m_);
  std::vector<InputEvent> out;
  for (const auto& call : calls_) {
    if (const auto* send = std::get_if<SendCall>(&call)) {
      out.insert(out.end(), send->events.begin(), send->events.end());
    }
  }
  return out;
}

ScreenPoint FakeInput::cursor() const {
  std::lock_guard<std::mutex> hold(m_);
  return cursor_;
}

}  // namespace winhelper::fakes
