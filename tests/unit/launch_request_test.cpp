#include <gtest/gtest.h>

#include "process/launch_request.h"
#include "process/process_tree.h"

namespace winhelper {
namespace {

TEST(LaunchRequest, ArgumentsAreQuotedSoThatParsingGivesThemBack) {
  struct Case {
    std::vector<std::string> args;
    std::string line;
  };
  const Case cases[] = {
      {{"a", "b"}, "a b"},
      {{"two words", ""}, "\"two words\" \"\""},
      {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
      // Backslashes stay single unless a quote follows them.
      {{"C:\\Program Files\\"}, "\"C:\\Program Files\\\\\""},
      {{"C:\\dir\\file"}, "C:\\dir\\file"},
      {{"a\\\"b"}, "\"a\\\\\\\"b\""},
  };
  for (const Case& c : cases) EXPECT_EQ(join_command_line(c.args), c.line);
}

TEST(LaunchRequest, SystemCodesMapToFailureKinds) {
  EXPECT_EQ(launch_failure_of(2), LaunchFailure::NotFound);
  EXPECT_EQ(launch_failure_of(0x80070003u), LaunchFailure::NotFound);
  EXPECT_EQ(launch_failure_of(5), LaunchFailure::AccessDenied);
  EXPECT_EQ(launch_failure_of(740), LaunchFailure::ElevationRequired);
  EXPECT_EQ(launch_failure_of(0x800704C7u), LaunchFailure::ElevationDeclined);
  EXPECT_EQ(launch_failure_of(1155), LaunchFailure::Other);
  EXPECT_EQ(launch_failure_of(0x80040154u), LaunchFailure::Other);
}

TEST(ProcessTree, FollowsChildrenAtAnyDepthButNotReusedParentIds) {
  const std::vector<ProcessEntry> table = {
      {30, 20, 1003},  // grandchild listed before its parent
      {20, 10, 1002},
      {10, 1, 1000},
      {40, 10, 900},   // older than the root: its parent id was reused
      {50, 40, 1005},  // so its children are not ours either
      {60, 99, 1004},  // unrelated
      {70, 20, 0},     // unknown creation time passes
  };
  EXPECT_EQ(process_tree(table, 10, 1000), (std::set<std::uint32_t>{10, 20, 30, 70}));
  EXPECT_EQ(process_tree(table, 10, 0), (std::set<std::uint32_t>{10, 20, 30, 40, 50, 70}));
  EXPECT_EQ(process_tree({}, 10, 1000), (std::set<std::uint32_t>{10}));
}

}  // namespace
}  // namespace winhelper
