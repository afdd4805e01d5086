// A loopback connection whose accepted end is blocked in recv on another
// thread, ended by shutting down the HTTP front's hold on it: the duplicate
// from WSADuplicateSocketW that the connection watch shuts down at a deadline.

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <atomic>
#include <thread>

#include "http/socket_hold.h"
#include "selftest/win32/system_probes_win32.h"

namespace winhelper::selftest {

namespace {

struct Socket {
  SOCKET value = INVALID_SOCKET;
  Socket() = default;
  explicit Socket(SOCKET s) : value(s) {}
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() {
    if (value != INVALID_SOCKET) closesocket(value);
  }
};

std::string wsa_text(const char* step) {
  return std::string(step) + " failed with " + std::to_string(WSAGetLastError());
}

double now_ms() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

SocketShutdown connected_and_cut(std::int64_t wait_ms) {
  SocketShutdown out;
  Socket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (listener.value == INVALID_SOCKET ||
      bind(listener.value, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener.value, 1) != 0 ||
      getsockname(listener.value, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    out.failure = wsa_text("listening on the loopback address");
    return out;
  }
  Socket client(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (client.value == INVALID_SOCKET ||
      connect(client.value, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    out.failure = wsa_text("connect");
    return out;
  }
  Socket server(accept(listener.value, nullptr, nullptr));
  if (server.value == INVALID_SOCKET) {
    out.failure = wsa_text("accept");
    return out;
  }
  auto hold = mcp::SocketHold::take(static_cast<std::uintptr_t>(server.value));
  if (!hold) {
    out.failure = wsa_text("WSADuplicateSocketW");
    return out;
  }
  std::atomic<bool> returned{false};
  std::atomic<double> returned_at{0};
  std::thread reader([&] {
    char byte = 0;
    recv(server.value, &byte, 1, 0);
    returned_at = now_ms();
    returned = true;
  });
  Sleep(200);  // for the reader to block
  const double cut_at = now_ms();
  hold->shut_down();
  for (std::int64_t waited = 0; !returned && waited < wait_ms; waited += 5) Sleep(5);
  out.returned = returned;
  // Otherwise the client's end ends the receive, so the thread can be joined.
  if (!returned) shutdown(client.value, SD_BOTH);
  reader.join();
  if (out.returned) out.ms = returned_at - cut_at;
  return out;
}

}  // namespace

SocketShutdown probe_socket_shutdown(std::int64_t wait_ms) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {"WSAStartup failed", false, 0};
  SocketShutdown out = connected_and_cut(wait_ms);
  WSACleanup();
  return out;
}

}  // namespace winhelper::selftest
