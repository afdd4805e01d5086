#include "common/os_random.h"

#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace winhelper {

std::optional<std::string> random_hex(std::size_t bytes) {
  std::vector<std::uint8_t> raw(bytes);
  if (!os_random_bytes(raw)) return std::nullopt;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes * 2);
  for (std::uint8_t b : raw) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

#ifndef _WIN32
// The native builds (tests, fuzzing); Windows has its own in win32/.
bool os_random_bytes(std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    ssize_t got = getrandom(out.data() + done, out.size() - done, 0);
    if (got < 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool write_private_file(const std::string& path, const std::string& content) {
  ::unlink(path.c_str());  // a file left by someone else keeps its mode otherwise
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return false;
  bool ok = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  ok = ::close(fd) == 0 && ok;
  return ok;
}
#endif

}  // namespace winhelper
