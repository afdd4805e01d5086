#pragma once
// Runs the real service (reader loop, worker pool, dispatcher) on a thread
// over the fake desktop, fed through an in-memory pipe, so tests can exchange
// real JSON lines.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/commands.h"
#include "fakes/fake_desktop.h"
#include "fakes/pipe_streams.h"
#include "service/service.h"

namespace winhelper::fakes {

class ServiceHarness : public FakeDesktop {
 public:
  // `setup` may add test-only commands before the service starts.
  template <typename Setup>
  explicit ServiceHarness(Setup&& setup) : FakeDesktop(), dispatcher(context()) {
    register_commands(dispatcher);
    setup(dispatcher);
    thread_ = std::thread([this] { run_service(input, output, dispatcher); });
  }
  ServiceHarness() : ServiceHarness([](Dispatcher&) {}) {}
  ~ServiceHarness() { finish(); }

  void send(const std::string& line) { input.feed(line + "\n"); }
  // Closes the input and waits for the service to finish.
  void finish() {
    input.close();
    if (thread_.joinable()) thread_.join();
  }

  // An id no earlier request through this harness used.
  std::string next_request_id() { return "r" + std::to_string(++requests_); }
  // Sends the line of request `id` and returns its parsed response. When none
  // comes, or another request's, the failure is reported and the answer is
  // null or that response.
  Json exchange(const std::string& id, const std::string& line) {
    std::size_t before = output.lines().size();
    send(line);
    EXPECT_TRUE(output.wait_for_lines(before + 1));
    auto lines = output.lines();
    if (lines.size() <= before) return Json();
    Json response = Json::parse(lines[before]);
    EXPECT_EQ(response["id"], id);
    return response;
  }

  Dispatcher dispatcher;
  PipeInput input;
  LineOutput output;

 private:
  int requests_ = 0;
  std::thread thread_;
};

// One request with its arguments as a value; returns the whole response.
inline Json ask(ServiceHarness& h, const std::string& cmd, const Json& args) {
  std::string id = h.next_request_id();
  Json request{{"protocolVersion", 4}, {"id", id}, {"cmd", cmd}, {"args", args}};
  return h.exchange(id, request.dump());
}

// One request with its arguments as written (any text, sent as it is).
inline Json ask(ServiceHarness& h, const std::string& cmd, const std::string& args_text) {
  std::string id = h.next_request_id();
  return h.exchange(id, R"({"protocolVersion":4,"id":")" + id + R"(","cmd":")" + cmd +
                            R"(","args":)" + args_text + "}");
}
inline Json ask(ServiceHarness& h, const std::string& cmd, const char* args_text = "{}") {
  return ask(h, cmd, std::string(args_text));
}

// "ok", "no response", or "<code>: <message>".
inline std::string error_of(const Json& response) {
  if (response.is_object() && response.value("ok", false)) return "ok";
  if (!response.contains("error")) return "no response";
  return response["error"]["code"].get<std::string>() + ": " +
         response["error"]["message"].get<std::string>();
}

}  // namespace winhelper::fakes
