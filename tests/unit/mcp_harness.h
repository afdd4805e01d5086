#pragma once
// Runs the real MCP server loop on the fuzz scene's fake desktop, fed
// through an in-memory pipe, so tests exchange real JSON-RPC lines.

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/pipe_streams.h"
#include "fuzz/fuzz_platform.h"
#include "mcp/argument_check.h"
#include "mcp/server.h"
#include "mcp/tools.h"

namespace winhelper::mcp {

class McpHarness {
 public:
  // `prepare` runs before the server starts (set knobs of the fake desktop).
  template <typename Prepare>
  McpHarness(ServerOptions options, Prepare&& prepare) {
    options.log = [this](const std::string& line) {
      std::lock_guard<std::mutex> hold(log_mutex_);
      log_.push_back(line);
    };
    prepare(desk);
    thread_ =
        std::thread([this, options] { run_mcp_server(input, output, desk.dispatcher(), options); });
  }
  explicit McpHarness(ServerOptions options = {})
      : McpHarness(options, [](fuzz::FuzzPlatform&) {}) {}
  ~McpHarness() { finish(); }

  void send_line(const std::string& line) { input.feed(line + "\n"); }
  void send(const Json& message) { send_line(message.dump()); }
  // Sends a request and waits (bounded) for the answer carrying its id.
  Json request(const Json& id, const std::string& method, const Json& params = nullptr);
  // The next unread answer line, waiting for it (bounded); null if none came.
  Json next_answer();
  // The handshake, answered.
  void initialize();
  // tools/call; the answer's `result` (or the whole answer when it is an error).
  Json call(const std::string& tool, const Json& arguments, const Json& id = "call");
  // Closes the input and waits for the server to end.
  void finish() {
    input.close();
    if (thread_.joinable()) thread_.join();
  }
  std::vector<std::string> log() {
    std::lock_guard<std::mutex> hold(log_mutex_);
    return log_;
  }

  fuzz::FuzzPlatform desk;
  fakes::PipeInput input;
  fakes::LineOutput output;

 private:
  std::size_t read_ = 0;
  std::mutex log_mutex_;
  std::vector<std::string> log_;
  std::thread thread_;
};

inline Json McpHarness::next_answer() {
  if (!output.wait_for_lines(read_ + 1)) return nullptr;
  return Json::parse(output.lines()[read_++]);
}

inline Json McpHarness::request(const Json& id, const std::string& method, const Json& params) {
  Json message = {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}};
  if (!params.is_null()) message["params"] = params;
  send(message);
  for (Json answer = next_answer(); !answer.is_null(); answer = next_answer()) {
    if (answer["id"] == id) return answer;
  }
  return nullptr;
}

inline void McpHarness::initialize() {
  request(0, "initialize",
          {{"protocolVersion", "2025-11-25"},
           {"capabilities", Json::object()},
           {"clientInfo", {{"name", "test"}, {"version", "1"}}}});
  send({{"jsonrpc", "2.0"}, {"method", "notifications/initialized"}});
}

inline Json McpHarness::call(const std::string& tool, const Json& arguments, const Json& id) {
  Json answer = request(id, "tools/call", {{"name", tool}, {"arguments", arguments}});
  if (!answer.contains("result")) return answer;
  // What a client checks: structured content matches the tool's output schema.
  const Json& result = answer["result"];
  if (const Tool* described = find_tool(tool); described && result.contains("structuredContent")) {
    if (auto fault = check_arguments(described->output_schema, result["structuredContent"])) {
      ADD_FAILURE() << tool << " result breaks its output schema: " << *fault;
    }
  }
  return result;
}

}  // namespace winhelper::mcp
