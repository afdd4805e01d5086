#pragma once
// The stream of request lines the stress test sends, each with what its
// answer must be. Deterministic for a given count.

#include <cstddef>
#include <optional>
#include <random>
#include <string>

namespace winhelper::stress {

struct StressLine {
  std::string text;  // without its line feed
  // Blank lines are not answered.
  bool answered = true;
  // The id the answer carries ("unknown" when none can be read).
  std::string id;
  // Expected error code; nullopt with `must_succeed` false: any valid answer
  // (commands whose outcome depends on the fake desktop).
  std::optional<std::string> code;
  bool must_succeed = false;
  // Part of the error message that must appear, when not empty.
  std::string message_part;
};

class StressMix {
 public:
  static constexpr std::size_t kHugeString = 10 * 1024 * 1024;
  static constexpr std::size_t kDeepNesting = 200'000;

  explicit StressMix(std::size_t count) : count_(count), random_(20260601) {}

  std::size_t count() const { return count_; }
  // Line `index` of `count()`; the last one is not valid UTF-8.
  StressLine line(std::size_t index);

 private:
  StressLine valid_request(std::size_t index);
  StressLine malformed(std::size_t index);
  StressLine special(std::size_t index);

  std::size_t count_;
  std::mt19937 random_;
};

}  // namespace winhelper::stress
