#include "http/socket_hold.h"

#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace winhelper::mcp {

SocketHold::SocketHold(SocketHold&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}

SocketHold& SocketHold::operator=(SocketHold&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, {});
  }
  return *this;
}

SocketHold::~SocketHold() {
  release();
}

#ifndef _WIN32
// The native builds; Windows has its own in win32/.
std::optional<SocketHold> SocketHold::take(std::uintptr_t socket) {
  int copy = ::fcntl(static_cast<int>(socket), F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return std::nullopt;
  return SocketHold(static_cast<std::uintptr_t>(copy));
}

void SocketHold::shut_down() {
  if (handle_) ::shutdown(static_cast<int>(*handle_), SHUT_RDWR);
}

void SocketHold::release() {
  if (handle_) ::close(static_cast<int>(*std::exchange(handle_, {})));
}
#endif

}  // namespace winhelper::mcp
