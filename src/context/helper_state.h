#pragma once
// The process-wide mutable state: the look history, the window registry and
// the observed roots. Held behind the state lock for short table operations
// only, never across UI Automation calls, capture, input or sleeps.

#include <cstdint>
#include <map>
#include <string>

#include "context/look_store.h"
#include "context/physical_input_lock.h"
#include "common/poisonable.h"
#include "windows/window_event_log.h"
#include "windows/window_record.h"
#include "windows/window_registry.h"

namespace winhelper {

// The client a command runs for: 0 for the line service and the stdio MCP
// server, one number per MCP session over HTTP.
using ClientSession = std::uint64_t;
inline constexpr ClientSession kDefaultSession = 0;

struct HelperState {
  // The looks of the default session; look ids for every session are drawn
  // from its counter, so an id of one session is never an id of another.
  LookStore looks;
  // The looks of the other sessions, each its own history.
  std::map<ClientSession, LookStore> session_looks;
  // Numbers behind the "@w" refs handed to the host.
  WindowRegistry windows;
  // Root key to the window record last listed for that window.
  std::map<std::string, WindowRecord> observed_roots;

  LookStore& looks_of(ClientSession session) {
    return session == kDefaultSession ? looks : session_looks[session];
  }
  // The session ended: its looks go.
  void forget_session(ClientSession session) { session_looks.erase(session); }
};

// Everything the commands share across workers.
struct SharedState {
  Poisonable<HelperState> state{"helper state lock poisoned"};
  PhysicalInputLock input;
  // Fed by the window event watcher; has its own lock.
  WindowEventLog window_event_log;
};

}  // namespace winhelper
