#pragma once
// The process-wide log of window changes fed by the watcher thread and read
// by the acting commands: a bounded FIFO of window changes, the table of
// windows seen appearing, and the event sequence. It has its own lock,
// separate from the state lock.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "common/poisonable.h"
#include "windows/window_event_source.h"
#include "windows/window_record.h"
#include "windows/window_system.h"

namespace winhelper {

struct WindowEvent {
  WindowChange change;
  // The event sequence after this event was counted; the first event is 1.
  std::uint64_t sequence = 0;
  std::uint32_t pid = 0;
};

class WindowEventLog {
 public:
  static constexpr std::size_t kCapacity = 256;
  // Size of the known windows table above which the entries of windows that
  // no longer exist are dropped (the bound then doubles while live windows
  // alone exceed it).
  static constexpr std::size_t kKnownPruneAt = 256;

  // Events of this process's own windows are dropped: the helper shows none,
  // but every COM apartment it enters makes a hidden window, so they would
  // only fill the tables.
  void ignore_process(std::uint32_t pid) { ignored_pid_.store(pid); }

  // Read without the queue lock; taken by an acting command before it acts.
  std::uint64_t current_sequence() const { return sequence_.load(); }

  // Changes of the queued events of `pid` counted after `since`, oldest
  // first. Empty when the queue lock is poisoned.
  std::vector<WindowChange> events_since(std::uint64_t since, std::uint64_t pid);

  // The watcher's callback: filters the event, describes the window and
  // queues the change. Reads the live window through `windows`.
  void on_raw_event(const RawWindowEvent& event, WindowSystem& windows);

  // Windows in the known windows table; 0 when the queue lock is poisoned.
  std::size_t known_count();

 private:
  struct Tables {
    std::deque<WindowEvent> queue;
    // The last "appeared" or "focused" change of each window, so that its
    // destruction or hiding can say what the window was.
    std::map<WindowHandle, WindowChange> known;
    std::size_t prune_known_at = kKnownPruneAt;
  };
  static void prune_known(Tables& tables, WindowSystem& windows);
  Poisonable<Tables> tables_{"window event queue lock poisoned"};
  std::atomic<std::uint64_t> sequence_{0};
  std::atomic<std::uint32_t> ignored_pid_{0};
};

// The change of a live window (its change type left at the default): kind,
// title, pid, windowId, isModal and metadata without browser facts.
WindowChange describe_window_for_event(WindowSystem& windows, WindowHandle window,
                                       std::uint32_t pid);

}  // namespace winhelper
