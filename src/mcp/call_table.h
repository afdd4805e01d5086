#pragma once
// The tool calls in progress, by request id, so that a cancellation can
// reach the running command and its answer can be held back. Shared by the
// reader thread (start, cancel) and the workers (finish).

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace winhelper::mcp {

class CallTable {
 public:
  struct Call {
    // Handed to the command through its context; raised by cancel().
    std::atomic<bool> cancelled{false};
  };

  // `key` tells ids apart by type and value (the id's JSON text). Null when
  // a call with this id is still in progress.
  std::shared_ptr<Call> start(const std::string& key);
  // Unknown ids (finished, never started) are ignored.
  void cancel(const std::string& key);
  void cancel_all();
  // Ends the call; true when its answer is to be sent (it was not cancelled).
  bool finish(const std::string& key);

 private:
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Call>> calls_;
};

}  // namespace winhelper::mcp
