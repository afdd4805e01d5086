// A duplicate of the connection's socket for this process: both descriptors
// share the one socket and its state, so shutting the duplicate down ends the
// connection, and the socket stays open until both are closed.

#include <windows.h>
#include <winsock2.h>

#include <utility>

#include "http/socket_hold.h"

namespace winhelper::mcp {

std::optional<SocketHold> SocketHold::take(std::uintptr_t socket) {
  WSAPROTOCOL_INFOW info{};
  if (WSADuplicateSocketW(static_cast<SOCKET>(socket), GetCurrentProcessId(), &info) != 0) {
    return std::nullopt;
  }
  SOCKET copy = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0,
                           WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (copy == INVALID_SOCKET) return std::nullopt;
  return SocketHold(static_cast<std::uintptr_t>(copy));
}

void SocketHold::shut_down() {
  if (handle_) ::shutdown(static_cast<SOCKET>(*handle_), SD_BOTH);
}

void SocketHold::release() {
  if (handle_) ::closesocket(static_cast<SOCKET>(*std::exchange(handle_, {})));
}

}  // namespace winhelper::mcp
