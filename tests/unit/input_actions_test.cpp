#include <gtest/gtest.h>

#include "fakes/fake_input.h"
#include "fakes/input_transcript.h"
#include "input/input_actions.h"

namespace winhelper {
namespace {

using fakes::FakeInput;
using fakes::transcript;

void expect_input_failed(const Status& s, const std::string& message) {
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error(), (HelperError{ErrorCode::CaptureFailed, message}));
}

TEST(InputSequences, ClickPlacesTheCursorThenSendsDownAndUpInOneCall) {
  struct Case {
    const char* button;
    const char* expected;
  } cases[] = {
      {"left", "pos(10,-20) [m0002 m0004]"},
      {"right", "pos(10,-20) [m0008 m0010]"},
      {"middle", "pos(10,-20) [m0020 m0040]"},
      // Button names are exact: anything else is the left button.
      {"Right", "pos(10,-20) [m0002 m0004]"},
      {"", "pos(10,-20) [m0002 m0004]"},
  };
  for (const auto& c : cases) {
    FakeInput input;
    ASSERT_TRUE(click_at(input, {10, -20}, c.button).ok());
    EXPECT_EQ(transcript(input), c.expected) << c.button;
  }
}

TEST(InputSequences, DragMovesBetweenPointsWithTheLeftButtonHeld) {
  FakeInput input;
  ASSERT_TRUE(drag_along(input, {{1, 2}, {3, 4}, {5, 6}}).ok());
  EXPECT_EQ(transcript(input), "pos(1,2) [m0002] pos(3,4) pos(5,6) [m0004]");

  FakeInput single;
  EXPECT_EQ(drag_along(single, {{1, 2}}).error(),
            invalid_request("drag requires at least two points"));
  EXPECT_TRUE(single.calls().empty());
}

TEST(InputSequences, KeysAreHeldInOrderAndReleasedInReverse) {
  FakeInput input;
  ASSERT_TRUE(press_keys(input, {17, 16, 84}).ok());
  EXPECT_EQ(transcript(input), "[17v] [16v] [84v 84^] [16^] [17^]");

  FakeInput single;
  ASSERT_TRUE(press_keys(single, {13}).ok());
  EXPECT_EQ(transcript(single), "[13v 13^]");
}

TEST(InputSequences, TextIsTypedAsUtf16UnitsInOneCall) {
  FakeInput input;
  // "a", "é" and U+1F600 (a surrogate pair, high unit first).
  ASSERT_TRUE(type_unicode_text(input, "a\xC3\xA9\xF0\x9F\x98\x80").ok());
  EXPECT_EQ(transcript(input), "[u0061v u0061^ u00E9v u00E9^ uD83Dv uD83D^ uDE00v uDE00^]");

  FakeInput empty;
  ASSERT_TRUE(type_unicode_text(empty, "").ok());
  EXPECT_EQ(transcript(empty), "[]");
}

TEST(InputSequences, ChordAndTap) {
  FakeInput chord;
  ASSERT_TRUE(press_chord(chord, 0x4C).ok());
  EXPECT_EQ(transcript(chord), "[17v] [76v 76^] [17^]");

  FakeInput tap;
  ASSERT_TRUE(tap_key(tap, 13).ok());
  EXPECT_EQ(transcript(tap), "[13v 13^]");
}

TEST(InputSequences, ScrollSendsVerticalThenHorizontalWheelAtTheCursor) {
  FakeInput both;
  ASSERT_TRUE(scroll_at(both, {5, 6}, -0.5, 1.5).ok());
  EXPECT_EQ(transcript(both), "pos(5,6) [m0800:-180 m1000:-60]");

  FakeInput up;
  ASSERT_TRUE(scroll_at(up, {5, 6}, 0, -2).ok());
  EXPECT_EQ(transcript(up), "pos(5,6) [m0800:240]");

  FakeInput rounding;
  ASSERT_TRUE(scroll_at(rounding, {0, 0}, 0.0625, 0.0625).ok());  // ±7.5 rounds away from zero
  EXPECT_EQ(transcript(rounding), "pos(0,0) [m0800:-8 m1000:8]");

  FakeInput huge;
  ASSERT_TRUE(scroll_at(huge, {0, 0}, 1e300, 1e300).ok());
  EXPECT_EQ(transcript(huge), "pos(0,0) [m0800:-2147483648 m1000:2147483647]");

  FakeInput still;
  ASSERT_TRUE(scroll_at(still, {5, 6}, 0, 0).ok());
  EXPECT_EQ(transcript(still), "pos(5,6)");
}

TEST(InputFailures, ReportWhatTheSystemSaid) {
  FakeInput input;
  input.fail_call(1);
  expect_input_failed(move_cursor_to(input, {1, 1}),
                      std::string("Input failed: ") + FakeInput::kCursorFailure);

  FakeInput partial;
  partial.fail_call(1, 3);
  InputEvent events[] = {InputEvent::mouse(kMouseWheel), InputEvent::mouse(kMouseWheel),
                         InputEvent::mouse(kMouseWheel), InputEvent::mouse(kMouseWheel)};
  expect_input_failed(send_inputs(partial, events), "Input failed: SendInput inserted 3/4 events");

  FakeInput click;
  click.fail_call(1);
  expect_input_failed(click_at(click, {1, 1}, "left"),
                      std::string("Input failed: ") + FakeInput::kCursorFailure);
  EXPECT_EQ(transcript(click), "pos(1,1)");
}

// A failure half-way through a key sequence releases, newest first, every
// key that is still down, one call each, and still returns the failure.
TEST(InputFailures, HeldKeysAreReleasedWhenASequenceFails) {
  FakeInput third;
  third.fail_call(3);  // the tap of T
  expect_input_failed(press_keys(third, {17, 16, 84}), "Input failed: SendInput inserted 0/2 events");
  EXPECT_EQ(transcript(third), "[17v] [16v] [84v 84^] [16^] [17^]");

  FakeInput half_tap;
  half_tap.fail_call(3, 1);  // T went down, its up was not inserted
  expect_input_failed(press_keys(half_tap, {17, 16, 84}),
                      "Input failed: SendInput inserted 1/2 events");
  EXPECT_EQ(transcript(half_tap), "[17v] [16v] [84v 84^] [84^] [16^] [17^]");

  FakeInput first_release;
  first_release.fail_call(4);  // Shift up fails: Shift and Ctrl are still down
  expect_input_failed(press_keys(first_release, {17, 16, 84}),
                      "Input failed: SendInput inserted 0/1 events");
  EXPECT_EQ(transcript(first_release), "[17v] [16v] [84v 84^] [16^] [16^] [17^]");

  FakeInput nothing_down;
  nothing_down.fail_call(1);
  expect_input_failed(press_keys(nothing_down, {17, 65}), "Input failed: SendInput inserted 0/1 events");
  EXPECT_EQ(transcript(nothing_down), "[17v]");

  FakeInput chord;
  chord.fail_call(2);
  expect_input_failed(press_chord(chord, 0x41), "Input failed: SendInput inserted 0/2 events");
  EXPECT_EQ(transcript(chord), "[17v] [65v 65^] [17^]");
}

TEST(InputFailures, ReleasingIsBestEffortAndKeepsTheFirstFailure) {
  FakeInput input;
  input.fail_from(3);
  expect_input_failed(press_keys(input, {17, 16, 84}), "Input failed: SendInput inserted 0/2 events");
  // Both releases are tried even though each of them fails.
  EXPECT_EQ(transcript(input), "[17v] [16v] [84v 84^] [16^] [17^]");
}

TEST(InputFailures, TheMouseButtonIsReleasedWhenADragOrClickFails) {
  FakeInput drag;
  drag.fail_call(4);  // positioning at the second further point
  expect_input_failed(drag_along(drag, {{1, 1}, {2, 2}, {3, 3}}),
                      std::string("Input failed: ") + FakeInput::kCursorFailure);
  EXPECT_EQ(transcript(drag), "pos(1,1) [m0002] pos(2,2) pos(3,3) [m0004]");

  FakeInput before_down;
  before_down.fail_call(1);
  EXPECT_FALSE(drag_along(before_down, {{1, 1}, {2, 2}}).ok());
  EXPECT_EQ(transcript(before_down), "pos(1,1)");

  FakeInput half_click;
  half_click.fail_call(2, 1);
  expect_input_failed(click_at(half_click, {0, 0}, "right"),
                      "Input failed: SendInput inserted 1/2 events");
  EXPECT_EQ(transcript(half_click), "pos(0,0) [m0008 m0010] [m0010]");

  FakeInput half_text;
  half_text.fail_call(1, 3);
  EXPECT_FALSE(type_unicode_text(half_text, "ab").ok());
  EXPECT_EQ(transcript(half_text), "[u0061v u0061^ u0062v u0062^] [u0062^]");
}

}  // namespace
}  // namespace winhelper
