// Error answers over both transports: each carries its request's id, and a
// fault of this server neither stops it, nor keeps a session busy, nor
// tells a remote client an exception's text.

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <string>

#include "fuzz/fuzz_platform.h"
#include "mcp/session_hub.h"
#include "mcp/tools.h"
#include "mcp_harness.h"

namespace winhelper::mcp {
namespace {

constexpr const char* kSecret = "C:\\Users\\someone\\secret.txt";

// The dispatcher's check of the desktop, before any command runs, throws.
struct BrokenProbe : DesktopProbe {
  DesktopFacts read() override { throw std::runtime_error(kSecret); }
};

std::string message(const Json& id, const std::string& method, const Json& params = nullptr,
                    const char* version = "2.0") {
  Json m = {{"jsonrpc", version}, {"id", id}, {"method", method}};
  if (!params.is_null()) m["params"] = params;
  return m.dump();
}

const Json kListWindows = {{"name", "list_windows"}, {"arguments", Json::object()}};

TEST(McpErrorAnswers, HttpErrorsCarryTheIdAndFaultsStayInTheLog) {
  fuzz::FuzzPlatform desk;
  Dispatcher dispatcher(desk.desk().context());
  dispatcher.add(
      find_tool("list_windows")->command,
      [](const Json&, CommandContext&) -> Result<Json> { throw std::runtime_error(kSecret); });
  std::mutex log_mutex;
  std::string log;
  HubOptions options;
  options.max_sessions = 1;
  options.log = [&](const std::string& line) {
    std::lock_guard<std::mutex> hold(log_mutex);
    log += line + "\n";
  };
  SessionHub hub(dispatcher, desk.shared(), desk.clock(), options);
  const std::string init = message(0, "initialize", {{"protocolVersion", "2025-11-25"}});
  std::string session = hub.post(std::nullopt, std::nullopt, init).session_id.value();

  struct Case {
    const char* name;
    std::optional<std::string> session;
    std::optional<std::string> version;
    std::string body;
    int status;
  };
  const Case cases[] = {
      {"no session", std::nullopt, std::nullopt, message(11, "ping"), 400},
      {"unknown version", session, "1999-01-01", message(12, "ping"), 400},
      {"unknown session", std::string(32, '0'), std::nullopt, message(13, "ping"), 404},
      {"old jsonrpc", session, std::nullopt, message(14, "ping", nullptr, "1.0"), 400},
      {"a command that threw", session, std::nullopt, message(15, "tools/call", kListWindows), 200},
  };
  for (const Case& c : cases) {
    HubReply reply = hub.post(c.session, c.version, c.body);
    EXPECT_EQ(reply.status, c.status) << c.name;
    EXPECT_EQ(Json::parse(reply.body)["id"], Json::parse(c.body)["id"]) << c.name;
    EXPECT_EQ(reply.body.find("secret"), std::string::npos) << c.name << ": " << reply.body;
  }
  // The dispatcher itself throws: the request fails and the session goes on.
  BrokenProbe probe;
  desk.desk().platform.desktop = &probe;
  HubReply failed = hub.post(session, std::nullopt, message("again", "tools/call", kListWindows));
  EXPECT_EQ(failed.status, 500);
  EXPECT_EQ(Json::parse(failed.body)["id"], "again");
  EXPECT_EQ(failed.body.find("secret"), std::string::npos) << failed.body;
  desk.desk().platform.desktop = nullptr;
  // Its id was given back, and the session is not held busy: a new client
  // may take its place.
  EXPECT_EQ(hub.post(session, std::nullopt, message("again", "tools/call", kListWindows)).status,
            200);
  EXPECT_TRUE(hub.post(std::nullopt, std::nullopt, init).session_id.has_value());
  EXPECT_EQ(hub.post(session, std::nullopt, message(16, "ping")).status, 404);
  // Each fault is logged here, with its text: twice the command, once the dispatcher.
  std::size_t logged = 0;
  for (std::size_t at = log.find("secret"); at != std::string::npos;
       at = log.find("secret", at + 1)) {
    ++logged;
  }
  EXPECT_EQ(logged, 3u) << log;
}

TEST(McpErrorAnswers, StdioCallWhoseDispatchThrowsIsAnsweredWithItsId) {
  BrokenProbe probe;
  McpHarness h({}, [&](fuzz::FuzzPlatform& desk) { desk.desk().platform.desktop = &probe; });
  h.initialize();
  Json failed = h.request("boom", "tools/call", kListWindows);
  EXPECT_EQ(failed["error"]["code"], kInternalError) << failed.dump();
  EXPECT_EQ(failed["id"], "boom");
  // The server still reads and answers, and the id is free again.
  EXPECT_EQ(h.request("boom", "tools/call", kListWindows)["id"], "boom");
  EXPECT_EQ(h.request(2, "ping")["result"], Json::object());
}

}  // namespace
}  // namespace winhelper::mcp
