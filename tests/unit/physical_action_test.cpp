#include <gtest/gtest.h>

#include "act/act_request.h"
#include "act/physical_action.h"
#include "fakes/fake_input.h"
#include "fakes/input_transcript.h"

namespace winhelper {
namespace {

using fakes::FakeInput;
using fakes::transcript;

PhysicalTarget at(double x, double y, Grounding grounding = Grounding::Description) {
  return PhysicalTarget{ScreenPosition{x, y}, std::nullopt, grounding};
}

PhysicalTarget along(std::vector<ScreenPosition> path) {
  return PhysicalTarget{std::nullopt, std::move(path), Grounding::Description};
}

// Runs one action with the arguments given as JSON text (lookId and target
// are filled in) and returns the result's JSON text or the error.
struct Action {
  FakeInput input;
  Result<Json> result = Json();

  explicit Action(const std::string& extra, const PhysicalTarget& target = {}) {
    Json args = Json::parse(extra);
    args["lookId"] = "look_1";
    if (!args.contains("target")) args["target"] = Json{{"ref", "r"}};
    auto request = parse_act_request(args);
    EXPECT_TRUE(request.ok());
    if (!request.ok()) return;
    result = perform_physical_action(*request, target, input);
  }
  std::string dump() const { return result.ok() ? result->dump() : result.error().message; }
};

TEST(PhysicalAction, ClickUsesTheResolvedPointAndTheGivenGrounding) {
  Action click(R"({"action":"click"})", at(100.5, -0.5, Grounding::Coordinates));
  EXPECT_EQ(click.dump(),
            R"({"outcome":"unknown","performed":{"delivery":"hid","grounding":"coordinates"}})");
  EXPECT_EQ(transcript(click.input), "pos(101,-1) [m0002 m0004]");

  Action press(R"({"action":"press","params":{"button":"middle"}})", at(1, 2));
  EXPECT_EQ(press.dump(),
            R"({"outcome":"unknown","performed":{"delivery":"hid","grounding":"description"}})");
  EXPECT_EQ(transcript(press.input), "pos(1,2) [m0020 m0040]");

  Action not_a_string(R"({"action":"click","params":{"button":7}})", at(1, 2));
  EXPECT_EQ(transcript(not_a_string.input), "pos(1,2) [m0002 m0004]");
}

TEST(PhysicalAction, PointActionsRefuseAMissingPoint) {
  struct Case {
    const char* args;
    const char* message;
  } cases[] = {
      {R"({"action":"press"})", "click requires resolvedPoint"},
      {R"({"action":"click"})", "click requires resolvedPoint"},
      {R"({"action":"scroll"})", "scroll requires resolvedPoint"},
      {R"({"action":"moveMouse"})", "moveMouse requires resolvedPoint"},
      {R"({"action":"moveMouse","params":{"resolvedPoint":{"x":1,"y":2}}})",
       "moveMouse requires resolvedPoint"},
  };
  for (const auto& c : cases) {
    Action run(c.args);
    EXPECT_EQ(run.result.error(), invalid_request(c.message)) << c.args;
    EXPECT_TRUE(run.input.calls().empty()) << c.args;
  }
}

TEST(PhysicalAction, ScrollAndMoveMouse) {
  Action scroll(R"({"action":"scroll","params":{"scrollY":1.5,"scrollX":"2"}})", at(3, 4));
  ASSERT_TRUE(scroll.result.ok());
  EXPECT_EQ(transcript(scroll.input), "pos(3,4) [m0800:-180]");

  Action move(R"({"action":"moveMouse"})", at(3, 4));
  EXPECT_EQ(move.dump(),
            R"({"outcome":"unknown","performed":{"delivery":"hid","grounding":"coordinates"}})");
  EXPECT_EQ(transcript(move.input), "pos(3,4)");
}

TEST(PhysicalAction, DragFollowsTheResolvedPath) {
  Action drag(R"({"action":"drag"})", along({{1, 1}, {2.5, 2}}));
  EXPECT_EQ(drag.dump(),
            R"({"outcome":"unknown","performed":{"delivery":"hid","grounding":"coordinates"}})");
  EXPECT_EQ(transcript(drag.input), "pos(1,1) [m0002] pos(3,2) [m0004]");

  struct Case {
    const char* args;
    PhysicalTarget target;
    const char* message;
  } cases[] = {
      {R"({"action":"drag"})", at(1, 1), "drag requires resolvedPath"},
      {R"({"action":"drag","params":{"path":[{"x":1,"y":1},{"x":2,"y":2}]}})",
       {},
       "drag requires resolvedPath"},
      {R"({"action":"drag"})", along({{1, 1}}), "drag requires at least two points"},
      {R"({"action":"drag"})", along({}), "drag requires at least two points"},
  };
  for (const auto& c : cases) {
    Action run(c.args, c.target);
    EXPECT_EQ(run.result.error(), invalid_request(c.message)) << c.args;
    EXPECT_TRUE(run.input.calls().empty()) << c.args;
  }
}

TEST(PhysicalAction, SetTextClicksSelectsAllAndTypesWithEvidence) {
  Action with_point(R"({"action":"setText","params":{"text":"hi"}})",
                    at(5, 6, Grounding::Coordinates));
  EXPECT_EQ(
      with_point.dump(),
      R"({"evidence":{"value":"hi"},"outcome":"unknown","performed":{"delivery":"hid","grounding":"coordinates"}})");
  EXPECT_EQ(transcript(with_point.input),
            "pos(5,6) [m0002 m0004] [17v] [65v 65^] [17^] [u0068v u0068^ u0069v u0069^]");

  Action without_point(R"({"action":"setText","params":{"text":5}})");
  EXPECT_EQ(
      without_point.dump(),
      R"({"evidence":{"value":""},"outcome":"unknown","performed":{"delivery":"hid","grounding":"description"}})");
  EXPECT_EQ(transcript(without_point.input), "[17v] [65v 65^] [17^] []");
}

TEST(PhysicalAction, SetTextStopsAtTheFirstFailingStep) {
  FakeInput input;
  input.fail_call(4);  // the A of Ctrl+A
  Json args = Json::parse(R"({"lookId":"l","action":"setText","target":{"ref":"r"},
                              "params":{"text":"hi"}})");
  auto request = parse_act_request(args);
  ASSERT_TRUE(request.ok());
  auto result = perform_physical_action(*request, at(5, 6, Grounding::Coordinates), input);
  EXPECT_EQ(result.error(),
            (HelperError{ErrorCode::CaptureFailed, "Input failed: SendInput inserted 0/2 events"}));
  // Ctrl is released and nothing is typed.
  EXPECT_EQ(transcript(input), "pos(5,6) [m0002 m0004] [17v] [65v 65^] [17^]");
}

TEST(PhysicalAction, TypeTextAndKeypressGoToTheKeyboardFocus) {
  Action type(R"({"action":"typeText","params":{"text":"\ud83d\ude00"}})");
  EXPECT_EQ(type.dump(),
            R"({"outcome":"unknown","performed":{"delivery":"hid","grounding":"coordinates"}})");
  EXPECT_EQ(transcript(type.input), "[uD83Dv uD83D^ uDE00v uDE00^]");

  Action keys(R"({"action":"keypress","params":{"keys":["ctrl",1,"Shift","t"]}})", at(1, 1));
  EXPECT_EQ(keys.dump(),
            R"({"outcome":"unknown","performed":{"delivery":"hid","grounding":"coordinates"}})");
  EXPECT_EQ(transcript(keys.input), "[17v] [16v] [84v 84^] [16^] [17^]");
}

TEST(PhysicalAction, KeypressChecksEveryNameBeforePressingAny) {
  struct Case {
    const char* args;
    const char* message;
  } cases[] = {
      {R"({"action":"keypress"})", "keypress requires keys"},
      {R"({"action":"keypress","params":{"keys":"ctrl"}})", "keypress requires keys"},
      {R"({"action":"keypress","params":{"keys":[1,null]}})", "keypress requires at least one key"},
      {R"({"action":"keypress","params":{"keys":["ctrl","F25","Bogus"]}})",
       "Unsupported key 'F25'"},
  };
  for (const auto& c : cases) {
    Action run(c.args);
    EXPECT_EQ(run.result.error(), invalid_request(c.message)) << c.args;
    EXPECT_TRUE(run.input.calls().empty()) << c.args;
  }
}

TEST(PhysicalAction, UnknownActionsAreUnsupported) {
  Action run(R"({"action":"Click"})", at(1, 1));
  EXPECT_EQ(run.result.error(),
            (HelperError{ErrorCode::UnsupportedCommand, "Unsupported Windows action 'Click'"}));
  EXPECT_TRUE(run.input.calls().empty());
}

}  // namespace
}  // namespace winhelper
