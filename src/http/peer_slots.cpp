#include "http/peer_slots.h"

namespace winhelper::mcp {

bool PeerSlots::take(const std::string& address) {
  std::lock_guard<std::mutex> hold(mutex_);
  std::size_t& count = held_[address];
  if (count >= per_peer_) return false;
  ++count;
  return true;
}

void PeerSlots::take_back(const std::string& address) {
  std::lock_guard<std::mutex> hold(mutex_);
  ++held_[address];
}

void PeerSlots::give(const std::string& address) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = held_.find(address);
  if (it == held_.end()) return;
  if (--it->second == 0) held_.erase(it);
}

}  // namespace winhelper::mcp
