#include <gtest/gtest.h>

#include "mcp/server_arguments.h"

namespace winhelper::mcp {
namespace {

TEST(McpServerArguments, BudgetOptionsAreReadAndBadOnesNamed) {
  const struct {
    std::vector<std::string_view> args;
    std::uint32_t side;
    std::size_t bytes;
    const char* error;  // empty: accepted
  } cases[] = {
      {{}, 1568, 1048576, ""},
      {{"--max-image-side", "2560"}, 2560, 1048576, ""},
      {{"--max-image-bytes", "65536", "--max-image-side", "1"}, 1, 65536, ""},
      {{"--max-image-side", "0"}, 0, 0, "--max-image-side needs a whole number from 1 to 16384"},
      {{"--max-image-side", "16385"}, 0, 0, "--max-image-side needs a whole number from 1 to 16384"},
      {{"--max-image-side", "12px"}, 0, 0, "--max-image-side needs a whole number from 1 to 16384"},
      {{"--max-image-side"}, 0, 0, "--max-image-side needs a whole number from 1 to 16384"},
      {{"--max-image-bytes", "1000"},
       0,
       0,
       "--max-image-bytes needs a whole number from 65536 to 1073741824"},
      {{"--max-image-side", "9", "--max-image-side", "9"}, 0, 0, "--max-image-side is given twice"},
      {{"--verbose"}, 0, 0, "unknown argument '--verbose'"},
  };
  for (const auto& c : cases) {
    auto budget = parse_server_arguments(c.args);
    const std::string where = c.args.empty() ? "(none)" : std::string(c.args[0]);
    if (*c.error != '\0') {
      ASSERT_FALSE(budget.ok()) << where;
      EXPECT_EQ(budget.error(), c.error) << where;
      continue;
    }
    ASSERT_TRUE(budget.ok()) << where << ": " << budget.error();
    EXPECT_EQ(budget->image_budget.max_side, c.side) << where;
    EXPECT_EQ(budget->image_budget.max_base64_bytes, c.bytes) << where;
  }
}

TEST(McpServerArguments, DisableKnownToolsOnly) {
  auto options = parse_server_arguments(
      {"--disable-tool", "launch_app", "--max-image-side", "800", "--disable-tool", "clipboard_write"});
  ASSERT_TRUE(options.ok());
  EXPECT_EQ(options->disabled_tools, (std::set<std::string>{"launch_app", "clipboard_write"}));
  EXPECT_EQ(options->image_budget.max_side, 800u);
  EXPECT_TRUE(parse_server_arguments({})->disabled_tools.empty());
  // A list, in either spelling; the bundle passes its setting as one "--disable-tool=..."
  // argument, empty when the user disables nothing.
  EXPECT_EQ(parse_server_arguments({"--disable-tool", " look, launch_app ,"})->disabled_tools,
            (std::set<std::string>{"look", "launch_app"}));
  EXPECT_EQ(parse_server_arguments({"--disable-tool=clipboard_write"})->disabled_tools,
            (std::set<std::string>{"clipboard_write"}));
  EXPECT_TRUE(parse_server_arguments({"--disable-tool="})->disabled_tools.empty());

  const std::pair<std::vector<std::string_view>, std::string> refused[] = {
      {{"--disable-tool"}, "--disable-tool needs a tool name"},
      {{"--disable-tool", "launchApp"}, "--disable-tool: no tool is named 'launchApp'"},
      {{"--disable-tool=look,lok"}, "--disable-tool: no tool is named 'lok'"},
  };
  for (const auto& [args, message] : refused) EXPECT_EQ(parse_server_arguments(args).error(), message);
}

}  // namespace
}  // namespace winhelper::mcp
