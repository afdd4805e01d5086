#include <gtest/gtest.h>

#include "mcp_harness.h"

namespace winhelper::mcp {
namespace {

TEST(McpDesktopTools, ADisabledToolIsNotListedAndItsCallsAreRefused) {
  ServerOptions options;
  options.disabled_tools = {"launch_app"};
  McpHarness h(options);
  h.initialize();
  Json tools = h.request(1, "tools/list")["result"]["tools"];
  for (const Json& tool : tools) EXPECT_NE(tool["name"], "launch_app");
  EXPECT_EQ(tools.size(), tool_table().size() - 1);

  Json refused = h.call("launch_app", {{"path", "notepad.exe"}});
  EXPECT_EQ(refused["error"]["code"], -32602);
  EXPECT_EQ(refused["error"]["message"], "Tool disabled by the server's operator: launch_app");
  EXPECT_TRUE(h.desk.desk().processes.starts().empty());
  // The others still run.
  EXPECT_EQ(h.call("clipboard_write", {{"text", "x"}})["structuredContent"]["totalChars"], 1);
}

TEST(McpDesktopTools, ToolsRunTheirCommandsWithinTheirSchemas) {
  McpHarness h;
  h.initialize();
  h.call("list_windows", Json::object());
  Json launched = h.call("launch_app", {{"command", "regedit.exe"}, {"waitMs", 0}});
  EXPECT_EQ(launched["structuredContent"]["timedOut"], true);
  Json arranged = h.call("set_window_state", {{"rootRef", "@w1"}, {"state", "maximize"}});
  EXPECT_EQ(arranged["structuredContent"]["window"]["rootRef"], "@w1");
  h.call("clipboard_write", {{"text", "näive"}});
  EXPECT_EQ(h.call("clipboard_read", {{"limit", 2}})["structuredContent"]["text"], "nä");
}

TEST(McpDesktopTools, ACommandWithAProgressTokenReportsItsOutputSoFar) {
  McpHarness h;
  h.initialize();
  fakes::FakeRun endless;
  endless.out = {"12345"};
  endless.exit_code.reset();
  h.desk.desk().commands.answer_next(endless);
  h.send({{"jsonrpc", "2.0"},
          {"id", 5},
          {"method", "tools/call"},
          {"params",
           {{"name", "run_command"},
            {"arguments", {{"program", "server.exe"}, {"timeoutMs", 1500}}},
            {"_meta", {{"progressToken", "t"}}}}}});
  std::vector<Json> progress;
  Json line = h.next_answer();
  for (; !line.is_null() && !line.contains("id"); line = h.next_answer()) progress.push_back(line);
  EXPECT_EQ(line["result"]["structuredContent"]["timedOut"], true) << line;
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress[1]["params"]["message"], "Waited 1 s of 1 s; 5 bytes of output");
}

TEST(McpDesktopTools, TheirListingStaysSmall) {
  std::size_t bytes = 0;
  for (const Tool& tool : desktop_tools()) bytes += tool_description(tool).dump().size();
  EXPECT_LT(bytes, 3000u);
}

}  // namespace
}  // namespace winhelper::mcp
