#pragma once
// A second handle on a connection's socket, kept while the connection is
// watched. Shutting it down ends the connection's blocked reads and writes
// from another thread; and since it stays open until released, the number
// it holds cannot be handed to a newer connection in the meantime, as the
// connection's own number can once its owner closed it.

#include <cstdint>
#include <optional>

namespace winhelper::mcp {

class SocketHold {
 public:
  // A hold on `socket` (the system's socket handle), or none when the system
  // has no handle left to give.
  static std::optional<SocketHold> take(std::uintptr_t socket);

  SocketHold(SocketHold&& other) noexcept;
  SocketHold& operator=(SocketHold&& other) noexcept;
  SocketHold(const SocketHold&) = delete;
  SocketHold& operator=(const SocketHold&) = delete;
  ~SocketHold();

  // Ends the connection both ways; its owner's blocked calls return.
  void shut_down();

 private:
  explicit SocketHold(std::uintptr_t handle) : handle_(handle) {}
  void release();

  std::optional<std::uintptr_t> handle_;
};

}  // namespace winhelper::mcp
