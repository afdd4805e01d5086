// The size of the tool catalog: tools/list is read into the model's context
// on every session, so it has a budget.

#include <gtest/gtest.h>

#include "mcp_harness.h"

namespace winhelper::mcp {
namespace {

constexpr std::size_t kCatalogBudgetBytes = 12800;

TEST(McpCatalog, ToolsListFitsItsBudget) {
  McpHarness h;
  h.initialize();
  h.send_line(R"({"jsonrpc":"2.0","id":"list","method":"tools/list"})");
  Json answer = h.next_answer();
  ASSERT_TRUE(answer.contains("result")) << answer;
  // The line as the server wrote it, the newline aside.
  const std::string line = h.output.lines().back();
  EXPECT_LE(line.size(), kCatalogBudgetBytes);
  EXPECT_FALSE(answer["result"]["tools"].empty());
}

}  // namespace
}  // namespace winhelper::mcp
