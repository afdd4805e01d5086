#pragma once
// Pattern calls under a grace period. A pattern call may not return for as
// long as a person takes: some frameworks' Invoke runs the modal dialog the
// button opens before it returns. The caller must not wait for that, and must
// not report the action as failed either, since it was delivered.
//
// So the action runs on a thread of its own, in a session of its own (UI
// Automation objects never cross threads). The caller waits for it to find
// its element (the provider timeouts bound each call, the resolution limit
// bounds them all), then at most the grace period for the pattern call to
// return. When it has not, the caller goes on: the action was performed and
// its outcome is unknown. The thread ends when the call returns, within the
// transaction timeout where the provider timeouts apply; at most
// kMaxPendingPatternCalls such threads run at once, and an action that finds
// them all busy fails at once instead of adding another.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "uia/uia_failure.h"

namespace winhelper::uia {

struct GracePeriods {
  // How long the caller waits for the element to be found.
  std::chrono::milliseconds resolution{12000};
  // How long it then waits for the pattern call to return.
  std::chrono::milliseconds grace{1000};
};

inline constexpr int kMaxPendingPatternCalls = 4;

// Called by the action right before its pattern call; false when the caller
// has given up waiting for the element, and the call must not be made.
using PatternCallStart = std::function<bool()>;

// The failure an action returns when PatternCallStart said no.
UiaError abandoned_action();

namespace detail {
// Takes one of the kMaxPendingPatternCalls places; false when none is free.
bool take_pattern_thread();
void leave_pattern_thread();
UiaError no_pattern_thread();
UiaError resolution_timed_out(std::chrono::milliseconds limit);
}  // namespace detail

// The action's value; nothing when its pattern call had not returned within
// the grace period or timed out (UIA_E_TIMEOUT) once made, both meaning
// performed with an unknown outcome; its failure otherwise.
template <typename T>
Result<std::optional<T>> run_with_grace(std::function<Result<T>(const PatternCallStart&)> action,
                                        GracePeriods periods = {}) {
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool calling = false;
    bool abandoned = false;
    std::optional<Result<T>> result;
  };
  if (!detail::take_pattern_thread()) return detail::no_pattern_thread();
  auto state = std::make_shared<State>();
  std::thread worker;
  try {
    worker = std::thread([state, action = std::move(action)] {
      Result<T> result = action([&state] {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->abandoned) return false;
        state->calling = true;
        state->changed.notify_all();
        return true;
      });
      {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->result.emplace(std::move(result));
        state->changed.notify_all();
      }
      detail::leave_pattern_thread();
    });
  } catch (const std::system_error&) {
    detail::leave_pattern_thread();
    return detail::no_pattern_thread();
  }
  std::unique_lock<std::mutex> lock(state->mutex);
  if (!state->changed.wait_for(lock, periods.resolution,
                               [&] { return state->calling || state->result.has_value(); })) {
    state->abandoned = true;
    lock.unlock();
    worker.detach();
    return detail::resolution_timed_out(periods.resolution);
  }
  if (!state->changed.wait_for(lock, periods.grace, [&] { return state->result.has_value(); })) {
    lock.unlock();
    worker.detach();
    return std::optional<T>();
  }
  Result<T> result = std::move(*state->result);
  const bool called = state->calling;
  lock.unlock();
  // Done in time: the thread is ending, and is waited for so that it is gone
  // when the action answers.
  worker.join();
  if (result) return std::optional<T>(std::move(result).value());
  if (called && result.error().kind == UiaErrorKind::Timeout) return std::optional<T>();
  return std::move(result).take_error();
}

}  // namespace winhelper::uia
