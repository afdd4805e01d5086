#pragma once
// The MCP server over standard input and output: JSON-RPC 2.0, one message
// per line. The reader thread answers the handshake, pings, tool listings
// and every malformed message itself; each tool call runs its command through
// the helper's dispatcher on the shared worker pool, so calls run
// concurrently and are answered as they finish.

#include <cstddef>
#include <functional>
#include <set>
#include <string>

#include "capture/image_encoding.h"
#include "service/dispatcher.h"
#include "service/service.h"
#include "service/streams.h"

namespace winhelper::mcp {

// Longest message accepted; a longer line is answered with an error and
// dropped without being held in memory whole.
inline constexpr std::size_t kMaxMessageBytes = 4 * 1024 * 1024;

struct ServerOptions {
  int workers = kWorkerCount;
  std::size_t max_message_bytes = kMaxMessageBytes;
  // The size and bytes every look's image is held to.
  ImageBudget image_budget;
  // Diagnostic lines (without line feed); standard error when empty.
  std::function<void(const std::string&)> log;
  // Tools left out of tools/list whose calls are refused, for operators who
  // allow looking but not, say, launching.
  std::set<std::string> disabled_tools;
};

// Runs until end of input; calls already running are still answered. A
// failed read of standard input ends reading as end of input does.
void run_mcp_server(ByteInput& input, ByteOutput& output, Dispatcher& dispatcher,
                    const ServerOptions& options = {});

}  // namespace winhelper::mcp
