#include <gtest/gtest.h>

#include "act/physical_gate.h"
#include "fakes/fake_input.h"
#include "fakes/input_transcript.h"

namespace winhelper {
namespace {

using fakes::FakeInput;
using fakes::transcript;

const char* kBlocked = "Background policy blocks global Windows coordinate/raw input grounding";

const PhysicalTarget kAtPoint{ScreenPosition{1, 2}, std::nullopt, Grounding::Coordinates};
const PhysicalTarget kOnElement{};

struct Gate {
  FakeInput input;
  Result<Json> result = Json();
  Gate(const char* args, const PhysicalTarget& target) {
    auto request = parse_act_request(Json::parse(args));
    EXPECT_TRUE(request.ok()) << args;
    if (request) result = physical_gate(*request, target, input);
  }
};

TEST(PhysicalGate, GroundingFollowsTheTarget) {
  Gate point(R"({"lookId":"l","action":"click","policy":"foreground","target":{"ref":"r"}})",
             kAtPoint);
  EXPECT_EQ(point.result->at("performed").at("grounding"), "coordinates");
  EXPECT_EQ(transcript(point.input), "pos(1,2) [m0002 m0004]");

  // The grounding alone decides, even without a usable point.
  const PhysicalTarget no_point{std::nullopt, std::nullopt, Grounding::Coordinates};
  Gate odd(R"({"lookId":"l","action":"click","policy":"foreground","target":{"ref":"r"}})",
           no_point);
  EXPECT_EQ(odd.result.error(), invalid_request("click requires resolvedPoint"));
  Gate odd_default(R"({"lookId":"l","action":"click","target":{"ref":"r"}})", no_point);
  EXPECT_EQ(odd_default.result.error().code, ErrorCode::ForegroundRequired);
}

TEST(PhysicalGate, PolicyIsCheckedForCoordinateAndKeyboardActions) {
  struct Case {
    const char* args;
    const PhysicalTarget& target;
    ErrorCode code;
  } refused[] = {
      {R"({"lookId":"l","action":"keypress","target":{"x":1,"y":1},"params":{"keys":["a"]}})",
       kOnElement, ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"keypress","policy":"ax_only","target":{"x":1,"y":1},"params":{"keys":["a"]}})",
       kOnElement, ErrorCode::CoordinateBlocked},
      {R"({"lookId":"l","action":"typeText","policy":"","target":{"ref":"r"}})", kOnElement,
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"drag","target":{"ref":"r"}})", kOnElement,
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"moveMouse","policy":"ax_only","target":{"ref":"r"}})", kOnElement,
       ErrorCode::CoordinateBlocked},
      {R"({"lookId":"l","action":"Click","target":{"x":1,"y":1}})", kAtPoint,
       ErrorCode::ForegroundRequired},
      {R"({"lookId":"l","action":"scroll","target":{"ref":"r"}})", kAtPoint,
       ErrorCode::ForegroundRequired},
  };
  for (const auto& c : refused) {
    Gate gate(c.args, c.target);
    ASSERT_FALSE(gate.result.ok()) << c.args;
    EXPECT_EQ(gate.result.error(), (HelperError{c.code, kBlocked})) << c.args;
    EXPECT_TRUE(gate.input.calls().empty()) << c.args;
  }
}

// Grounded on a description the remaining actions reach the input layer under
// any policy, which then reports what is missing.
TEST(PhysicalGate, DescriptionGroundedActionsSkipThePolicy) {
  Gate set_text(
      R"({"lookId":"l","action":"setText","policy":"ax_only","target":{"ref":"r"},"params":{"text":"x"}})",
      kOnElement);
  ASSERT_TRUE(set_text.result.ok());
  EXPECT_EQ(set_text.result->at("performed").at("grounding"), "description");
  EXPECT_EQ(transcript(set_text.input), "[17v] [65v 65^] [17^] [u0078v u0078^]");

  Gate click(R"({"lookId":"l","action":"click","target":{"ref":"r"}})", kOnElement);
  EXPECT_EQ(click.result.error(), invalid_request("click requires resolvedPoint"));

  Gate unknown(R"({"lookId":"l","action":"Click","target":{"ref":"r"}})", kOnElement);
  EXPECT_EQ(unknown.result.error(),
            (HelperError{ErrorCode::UnsupportedCommand, "Unsupported Windows action 'Click'"}));
}

TEST(PhysicalGate, ForegroundPolicyReachesTheInput) {
  Gate gate(R"({"lookId":"l","action":"keypress","policy":"foreground","target":{"x":1,"y":1},
                "params":{"keys":["ctrl","a"]}})",
            kOnElement);
  ASSERT_TRUE(gate.result.ok());
  EXPECT_EQ(transcript(gate.input), "[17v] [65v 65^] [17^]");
}

}  // namespace
}  // namespace winhelper
