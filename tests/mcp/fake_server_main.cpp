// winhelper_mcp_fake: the MCP server on the fuzz scene's fake desktop, over
// this process's standard input and output. The SDK client test drives it
// natively, without Wine.

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fuzz/fuzz_platform.h"
#include "mcp/server.h"

namespace {

class FdInput final : public winhelper::ByteInput {
 public:
  Chunk read(char* buffer, std::size_t capacity) override {
    for (;;) {
      ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
      if (got >= 0) return {static_cast<std::size_t>(got), false, {}};
      if (errno != EINTR) return {0, true, std::strerror(errno)};
    }
  }
};

class FdOutput final : public winhelper::ByteOutput {
 public:
  bool write(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t wrote = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
  }
};

}  // namespace

int main() {
  winhelper::fuzz::FuzzPlatform desk;
  FdInput input;
  FdOutput output;
  winhelper::mcp::run_mcp_server(input, output, desk.dispatcher());
  return 0;
}
