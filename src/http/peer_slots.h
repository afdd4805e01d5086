#pragma once
// How many connections each peer address holds, so that one peer cannot
// take every connection thread. A connection whose authenticated call is in
// progress gives its slot back for the call's duration: a client with the
// token may have many waits pending, and they are bounded by the hub.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace winhelper::mcp {

inline constexpr std::size_t kConnectionsPerPeer = 8;

class PeerSlots {
 public:
  explicit PeerSlots(std::size_t per_peer = kConnectionsPerPeer) : per_peer_(per_peer) {}

  // A slot for a new connection from `address`, or false when it holds all
  // of its slots already.
  bool take(const std::string& address);
  // A slot taken back after a call, even beyond the bound: the connection is
  // open already.
  void take_back(const std::string& address);
  void give(const std::string& address);

 private:
  const std::size_t per_peer_;
  std::mutex mutex_;
  std::map<std::string, std::size_t> held_;
};

}  // namespace winhelper::mcp
