#pragma once
// The process-wide mutable state: the look history, the window registry and
// the observed roots. Held behind the state lock for short table operations
// only, never across UI Automation calls, capture, input or sleeps.

#include <map>
#include <string>

#include "context/look_store.h"
#include "context/physical_input_lock.h"
#include "common/poisonable.h"
#include "windows/window_event_log.h"
#include "windows/window_record.h"
#include "windows/window_registry.h"

namespace winhelper {

struct HelperState {
  LookStore looks;
  // Numbers behind the "@w" refs handed to the host.
  WindowRegistry windows;
  // Root key to the window record last listed for that window.
  std::map<std::string, WindowRecord> observed_roots;
};

// Everything the commands share across workers.
struct SharedState {
  Poisonable<HelperState> state{"helper state lock poisoned"};
  PhysicalInputLock input;
  // Fed by the window event watcher; has its own lock.
  WindowEventLog window_event_log;
};

}  // namespace winhelper
