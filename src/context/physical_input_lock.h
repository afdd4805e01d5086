#pragma once
// Ownership of the mouse, the keyboard and the foreground window for one
// operation. Re-entrant per thread: a batch holds it across all its actions,
// and each action inside sees the per-thread flag set and does not lock again.
// Lock order: this lock may be held while the state lock is taken, never the
// reverse.

#include <atomic>
#include <exception>
#include <mutex>

#include "common/result.h"

namespace winhelper {

class PhysicalInputLock {
 public:
  class Hold {
   public:
    Hold(Hold&& other) noexcept
        : owner_(other.owner_), owns_(other.owns_), unwinding_(other.unwinding_) {
      other.owns_ = false;
    }
    Hold& operator=(Hold&&) = delete;
    ~Hold();

   private:
    friend class PhysicalInputLock;
    Hold(PhysicalInputLock* owner, bool owns)
        : owner_(owner), owns_(owns), unwinding_(std::uncaught_exceptions()) {}
    PhysicalInputLock* owner_;
    bool owns_;
    int unwinding_;
  };

  // Takes the lock unless this thread already holds it.
  Result<Hold> acquire();

  // Whether the calling thread holds the lock.
  static bool held_by_this_thread();
  // Whether any thread holds it (pattern calls run on threads of their own
  // while the action's thread holds it).
  bool held() const { return held_.load(); }

 private:
  std::mutex mutex_;
  std::atomic<bool> held_{false};
  bool poisoned_ = false;  // guarded by mutex_
};

}  // namespace winhelper
