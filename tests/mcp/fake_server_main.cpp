// winhelper_mcp_fake: the MCP server on the fuzz scene's fake desktop, over
// this process's standard input and output, or over HTTP with the same
// options as winhelper-mcp (--http ...). The SDK client tests drive it
// natively, without Wine.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>
#include <cstring>

#include "fuzz/fuzz_platform.h"
#include "http/http_arguments.h"
#include "http/http_server.h"
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

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto http = winhelper::mcp::take_http_arguments(args);
  if (!http || !args.empty()) {
    std::fprintf(stderr, "winhelper_mcp_fake: %s\n", http ? "unknown argument" : http.error().c_str());
    return 2;
  }
  winhelper::fuzz::FuzzPlatform desk;
  if (http->listen) {
    return winhelper::mcp::run_mcp_http_server(desk.dispatcher(), *http,
                                               winhelper::mcp::process_token_environment(), {});
  }
  FdInput input;
  FdOutput output;
  winhelper::mcp::run_mcp_server(input, output, desk.dispatcher());
  return 0;
}
