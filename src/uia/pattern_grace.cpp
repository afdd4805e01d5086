#include "uia/pattern_grace.h"

#include <atomic>
#include <string>

namespace winhelper::uia {
namespace {

std::atomic<int> pattern_threads{0};

}  // namespace

UiaError abandoned_action() {
  return {UiaErrorKind::Timeout, "The action was given up before its pattern call"};
}

namespace detail {

bool take_pattern_thread() {
  int running = pattern_threads.load();
  while (running < kMaxPendingPatternCalls) {
    if (pattern_threads.compare_exchange_weak(running, running + 1)) return true;
  }
  return false;
}

void leave_pattern_thread() { --pattern_threads; }

UiaError no_pattern_thread() {
  return {UiaErrorKind::ProviderFailure,
          "Earlier pattern calls are still waiting for their targets to return (" +
              std::to_string(kMaxPendingPatternCalls) + " at most); the action was not sent"};
}

UiaError resolution_timed_out(std::chrono::milliseconds limit) {
  return {UiaErrorKind::Timeout, "The element was not found within " +
                                     std::to_string(limit.count() / 1000) +
                                     " s; the action was not sent"};
}

}  // namespace detail
}  // namespace winhelper::uia
