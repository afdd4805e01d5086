#include <gtest/gtest.h>

#include "act/physical_gate.h"
#include "fakes/fake_input.h"
#include "fakes/input_transcript.h"

namespace winhelper {
namespace {

using fakes::FakeInput;
using fakes::transcript;

const char* kBlocked = "Background policy blocks global Windows coordinate/raw input grounding";

struct Gate {
  FakeInput input;
  Result<Json> result = Json();
  explicit Gate(const char* args) : result(physical_gate(Json::parse(args), input)) {}
};

TEST(PhysicalGate, ParsesTheForwardedArgumentsFirst) {
  Gate gate(R"({"action":"click","target":{"x":1,"y":1},"resolvedPoint":{"x":1,"y":1}})");
  EXPECT_EQ(gate.result.error(), invalid_request("act requires lookId"));
  EXPECT_TRUE(gate.input.calls().empty());
}

TEST(PhysicalGate, GroundingFollowsThePresenceOfAResolvedPoint) {
  Gate point(R"({"lookId":"l","action":"click","policy":"foreground","target":{"ref":"r"},
                 "resolvedPoint":{"x":1,"y":2}})");
  EXPECT_EQ(point.result->at("performed").at("grounding"), "coordinates");
  EXPECT_EQ(transcript(point.input), "pos(1,2) [m0002 m0004]");

  // The key alone decides, even when its value is unusable.
  Gate odd(R"({"lookId":"l","action":"click","policy":"foreground","target":{"ref":"r"},
               "resolvedPoint":"x"})");
  EXPECT_EQ(odd.result.error(), invalid_request("click requires resolvedPoint"));
  Gate odd_default(R"({"lookId":"l","action":"click","target":{"ref":"r"},"resolvedPoint":null})");
  EXPECT_EQ(odd_default.result.error().code, ErrorCode::ForegroundRequired);
}

TEST(PhysicalGate, PolicyIsCheckedForCoordinateAndKeyboardActions) {
  struct Case {
    const char* args;
    ErrorCode code;
  } refused[] = {
      {R"({"lookId":"l","action":"keypress","target":{"x":1,"y":1},"params":{"keys":["a"]}})",
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"keypress","policy":"ax_only","target":{"x":1,"y":1},"params":{"keys":["a"]}})",
       ErrorCode::CoordinateBlocked},
      {R"({"lookId":"l","action":"typeText","policy":"","target":{"ref":"r"}})",
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"drag","target":{"ref":"r"},"resolvedPath":[]})",
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"moveMouse","policy":"ax_only","target":{"ref":"r"}})",
       ErrorCode::CoordinateBlocked},
      {R"({"lookId":"l","action":"Click","target":{"x":1,"y":1},"resolvedPoint":{"x":1,"y":1}})",
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"scroll","target":{"ref":"r"},"resolvedPoint":{"x":1,"y":1}})",
       ErrorCode::ForegroundRequired},
  };
  for (const auto& c : refused) {
    Gate gate(c.args);
    ASSERT_FALSE(gate.result.ok()) << c.args;
    EXPECT_EQ(gate.result.error(), (HelperError{c.code, kBlocked})) << c.args;
    EXPECT_TRUE(gate.input.calls().empty()) << c.args;
  }
}

// Without a resolved point the remaining actions reach the input layer under
// any policy, which then reports what is missing.
TEST(PhysicalGate, DescriptionGroundedActionsSkipThePolicy) {
  Gate set_text(R"({"lookId":"l","action":"setText","policy":"ax_only","target":{"ref":"r"},"params":{"text":"x"}})");
  ASSERT_TRUE(set_text.result.ok());
  EXPECT_EQ(set_text.result->at("performed").at("grounding"), "description");
  EXPECT_EQ(transcript(set_text.input), "[17v] [65v 65^] [17^] [u0078v u0078^]");

  Gate click(R"({"lookId":"l","action":"click","target":{"ref":"r"}})");
  EXPECT_EQ(click.result.error(), invalid_request("click requires resolvedPoint"));

  Gate unknown(R"({"lookId":"l","action":"Click","target":{"ref":"r"}})");
  EXPECT_EQ(unknown.result.error(),
            (HelperError{ErrorCode::UnsupportedCommand, "Unsupported Windows action 'Click'"}));
}

TEST(PhysicalGate, ForegroundPolicyReachesTheInput) {
  Gate gate(R"({"lookId":"l","action":"keypress","policy":"foreground","target":{"x":1,"y":1},
                "params":{"keys":["ctrl","a"]}})");
  ASSERT_TRUE(gate.result.ok());
  EXPECT_EQ(transcript(gate.input), "[17v] [65v 65^] [17^]");
}

}  // namespace
}  // namespace winhelper
