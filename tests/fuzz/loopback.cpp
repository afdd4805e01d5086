#include "fuzz/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace winhelper::fuzz {

std::string loopback_exchange(int port, const std::string& bytes, bool until_close,
                              int* failure) {
  if (failure) *failure = 0;
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    if (failure) *failure = errno;
    return {};
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    if (failure) *failure = errno;
  } else {
    timeval limit{10, 0};  // catches a hang
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (until_close) ::shutdown(fd, SHUT_WR);
    char buffer[4096];
    while (until_close || answer.find("\r\n\r\n") == std::string::npos) {
      ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
      if (got < 0 && failure) *failure = errno;
      if (got <= 0) break;
      answer.append(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  return answer;
}

}  // namespace winhelper::fuzz
