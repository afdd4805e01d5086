#include <gtest/gtest.h>

#include "act/act_request.h"
#include "act/policy.h"

namespace winhelper {
namespace {

Result<ActRequest> parse(const char* text) { return parse_act_request(Json::parse(text)); }

TEST(ActRequestParsing, ChecksInOrderAndReportsTheFirstFailure) {
  struct Case {
    const char* args;
    const char* message;
  } cases[] = {
      {R"({})", "act requires lookId"},
      {R"(null)", "act requires lookId"},
      {R"({"lookId":"","action":"","target":5})", "act requires lookId"},
      {R"({"lookId":7,"action":"click","target":{"ref":"r"}})", "act requires lookId"},
      {R"({"lookId":"look_1"})", "act requires action"},
      {R"({"lookId":"look_1","action":"","target":{}})", "act requires action"},
      {R"({"lookId":"look_1","action":"click"})", "act requires target"},
      {R"({"lookId":"look_1","action":"click","target":{"x":1}})", "act target must include ref or x/y"},
      {R"({"lookId":"look_1","action":"click","target":"@e1"})", "act target must include ref or x/y"},
      {R"({"lookId":"look_1","action":"click","target":null})", "act target must include ref or x/y"},
      {R"({"lookId":"look_1","action":"click","target":{"x":"1","y":2}})",
       "act target must include ref or x/y"},
  };
  for (const auto& c : cases) {
    auto r = parse(c.args);
    ASSERT_FALSE(r.ok()) << c.args;
    EXPECT_EQ(r.error(), invalid_request(c.message)) << c.args;
  }
}

TEST(ActRequestParsing, ReadsTheTargetForms) {
  auto ref = parse(R"({"lookId":"l","action":"click","target":{"ref":"","x":1,"y":2}})");
  ASSERT_TRUE(ref.ok());
  EXPECT_EQ(ref->target, ActTarget(RefTarget{""}));

  auto point = parse(R"({"lookId":"l","action":"click","target":{"ref":5,"x":1,"y":2.5}})");
  ASSERT_TRUE(point.ok());
  EXPECT_EQ(point->target, ActTarget(PointTarget{1.0, 2.5}));

  auto big = parse(R"({"lookId":"l","action":"click","target":{"x":18446744073709551615,"y":-3}})");
  ASSERT_TRUE(big.ok());
  EXPECT_EQ(big->target, ActTarget(PointTarget{18446744073709551615.0, -3.0}));
}

TEST(ActRequestParsing, OptionalMembersAreTolerant) {
  auto plain = parse(R"({"lookId":"l","action":"Click","target":{"ref":"r"}})");
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(plain->action, ActAction::Unsupported);
  EXPECT_EQ(plain->action_name, "Click");
  EXPECT_EQ(plain->policy, ActPolicy::Default);
  EXPECT_EQ(plain->pid, std::nullopt);
  EXPECT_EQ(plain->params, Json::object());

  for (const char* pid : {"-3", "4.5", "\"7\"", "null"}) {
    auto r = parse_act_request(Json::parse(std::string(R"({"lookId":"l","action":"a","target":{"ref":"r"},"pid":)") + pid + "}"));
    ASSERT_TRUE(r.ok()) << pid;
    EXPECT_EQ(r->pid, std::nullopt) << pid;
  }
  Json built{{"lookId", "l"}, {"action", "a"}, {"target", {{"ref", "r"}}}, {"pid", 0}};
  EXPECT_EQ(parse_act_request(built)->pid, 0u);

  auto full = parse(R"({"lookId":"l","action":"a","target":{"ref":"r"},"pid":42,"policy":"","params":[1]})");
  ASSERT_TRUE(full.ok());
  EXPECT_EQ(full->pid, 42u);
  EXPECT_EQ(full->policy, ActPolicy::Default);
  EXPECT_EQ(full->params, Json::parse("[1]"));

  EXPECT_EQ(parse(R"({"lookId":"l","action":"a","target":{"ref":"r"},"policy":3})")->policy,
            ActPolicy::Default);
  EXPECT_EQ(
      parse(R"({"lookId":"l","action":"drag","target":{"ref":"r"},"policy":"ax_only"})")->action,
      ActAction::Drag);
}

TEST(PhysicalPolicy, OnlyForegroundAllowsPhysicalInput) {
  const std::string message = "Background policy blocks global Windows coordinate/raw input grounding";
  auto check = [](const char* policy) { return require_physical_policy(parse_act_policy(policy)); };
  EXPECT_TRUE(check("foreground").ok());
  EXPECT_EQ(check("ax_only").error(), (HelperError{ErrorCode::CoordinateBlocked, message}));
  for (const char* policy : {"default", "", "Foreground", "AX_ONLY", "anything"}) {
    EXPECT_EQ(check(policy).error(), (HelperError{ErrorCode::ForegroundRequired, message})) << policy;
  }
}

}  // namespace
}  // namespace winhelper
