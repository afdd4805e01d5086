#include "mcp/call_table.h"

namespace winhelper::mcp {

std::shared_ptr<CallTable::Call> CallTable::start(const std::string& key) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto [it, inserted] = calls_.try_emplace(key, nullptr);
  if (!inserted) return nullptr;
  it->second = std::make_shared<Call>();
  return it->second;
}

void CallTable::cancel(const std::string& key) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (auto it = calls_.find(key); it != calls_.end()) {
    it->second->cancelled.store(true, std::memory_order_release);
  }
}

void CallTable::cancel_all() {
  std::lock_guard<std::mutex> hold(mutex_);
  for (auto& [key, call] : calls_) call->cancelled.store(true, std::memory_order_release);
}

bool CallTable::finish(const std::string& key) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = calls_.find(key);
  if (it == calls_.end()) return false;
  bool answer = !it->second->cancelled.load(std::memory_order_acquire);
  calls_.erase(it);
  return answer;
}

}  // namespace winhelper::mcp
