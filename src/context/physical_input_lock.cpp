#include "context/physical_input_lock.h"

namespace winhelper {

namespace {
thread_local bool t_holds_input = false;
}

bool PhysicalInputLock::held_by_this_thread() { return t_holds_input; }

Result<PhysicalInputLock::Hold> PhysicalInputLock::acquire() {
  if (t_holds_input) return Hold(this, false);
  mutex_.lock();
  if (poisoned_) {
    mutex_.unlock();
    return internal_error("physical input lock poisoned");
  }
  t_holds_input = true;
  held_ = true;
  return Hold(this, true);
}

PhysicalInputLock::Hold::~Hold() {
  if (!owns_) return;
  if (std::uncaught_exceptions() > unwinding_) owner_->poisoned_ = true;
  t_holds_input = false;
  owner_->held_ = false;
  owner_->mutex_.unlock();
}

}  // namespace winhelper
