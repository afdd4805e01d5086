#pragma once
// A mutex-guarded value whose lock stays poisoned once a holder unwinds
// through an exception while holding it; every later taker gets an error.

#include <exception>
#include <mutex>
#include <string>

#include "common/result.h"

namespace winhelper {

template <typename T>
class Poisonable {
 public:
  class Guard {
   public:
    Guard(Guard&& other) noexcept
        : owner_(other.owner_), lock_(std::move(other.lock_)), unwinding_(other.unwinding_) {
      other.owner_ = nullptr;
    }
    Guard& operator=(Guard&&) = delete;
    ~Guard() {
      if (owner_ && lock_.owns_lock() && std::uncaught_exceptions() > unwinding_) {
        owner_->poisoned_ = true;
      }
    }
    T& operator*() { return owner_->value_; }
    T* operator->() { return &owner_->value_; }

   private:
    friend class Poisonable;
    explicit Guard(Poisonable& owner)
        : owner_(&owner), lock_(owner.mutex_), unwinding_(std::uncaught_exceptions()) {}
    Poisonable* owner_;
    std::unique_lock<std::mutex> lock_;
    int unwinding_;
  };

  explicit Poisonable(std::string poisoned_message) : message_(std::move(poisoned_message)) {}

  Result<Guard> lock() {
    Guard guard(*this);
    if (poisoned_) return internal_error(message_);
    return Result<Guard>(std::move(guard));
  }

  bool poisoned() {
    std::lock_guard<std::mutex> hold(mutex_);
    return poisoned_;
  }

 private:
  std::mutex mutex_;
  bool poisoned_ = false;  // guarded by mutex_
  std::string message_;
  T value_{};
};

}  // namespace winhelper
