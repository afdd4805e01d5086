#pragma once
// The process-wide mutable state: the look history, the window registry and
// the observed roots. Held behind the state lock for short table operations
// only, never across UI Automation calls, capture, input or sleeps.

#include "service/physical_input_lock.h"
#include "service/poisonable.h"

namespace winhelper {

struct HelperState {
  // Filled in by the subsystems that own each table.
};

// Everything the commands share across workers.
struct SharedState {
  Poisonable<HelperState> state{"helper state lock poisoned"};
  PhysicalInputLock input;
};

}  // namespace winhelper
