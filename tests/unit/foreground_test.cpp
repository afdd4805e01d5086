#include <gtest/gtest.h>

#include "act/foreground.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_windows.h"

namespace winhelper {
namespace {

using fakes::ForegroundRule;

std::string on(WindowHandle window) { return std::to_string(window); }

TEST(ForegroundStep, AlreadyForegroundAsksNothingAndRefusalGivesUpAfterTheEscalation) {
  fakes::FakeWindows windows;
  fakes::FakeClock clock;
  WindowHandle a = windows.add({});
  WindowHandle b = windows.add({});
  windows.set_foreground_window(a);
  EXPECT_TRUE(bring_to_foreground(windows, clock, a).ok());
  EXPECT_EQ(windows.foreground_requests(), 0);

  EXPECT_TRUE(bring_to_foreground(windows, clock, b).ok());
  EXPECT_EQ(windows.foreground_requests(), 1);
  EXPECT_EQ(windows.foreground(), b);

  windows.refuse_foreground(true);
  auto start = clock.now_ms();
  Status refused = bring_to_foreground(windows, clock, a);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(),
            target_not_found("Windows refused to foreground the target; physical input was not sent"));
  // Four plain requests and the escalated one, each followed by 20 ms.
  EXPECT_EQ(windows.foreground_requests(), 6);
  EXPECT_EQ(clock.now_ms() - start, 100);
}

TEST(ForegroundStep, EscalationJoinsTheForegroundThreadOnlyAfterFourPlainRefusals) {
  fakes::FakeWindows windows;
  fakes::FakeClock clock;
  WindowHandle target = windows.add({.thread = 300});
  WindowHandle box = windows.add({.thread = 400});
  windows.set_foreground_window(box);
  windows.set_foreground_rule(ForegroundRule::GrantWhileAttached);

  ASSERT_TRUE(bring_to_foreground(windows, clock, target).ok());
  EXPECT_EQ(windows.foreground(), target);
  const std::string request = "set_foreground " + on(target);
  EXPECT_EQ(windows.foreground_calls(),
            (std::vector<std::string>{request, request, request, request, "attach 1 400",
                                      "bring_to_top " + on(target), request, "detach 1 400"}));
  EXPECT_EQ(windows.enumerate_top_level().handles.front(), target);
}

TEST(ForegroundStep, MinimisedTargetIsRestoredFirstEvenWhenItIsTheForeground) {
  fakes::FakeWindows windows;
  fakes::FakeClock clock;
  WindowHandle target = windows.add({.iconic = true});
  windows.set_foreground_window(target);
  ASSERT_TRUE(bring_to_foreground(windows, clock, target).ok());
  EXPECT_EQ(windows.foreground_calls(), (std::vector<std::string>{"restore " + on(target)}));
  EXPECT_FALSE(windows.is_iconic(target));
}

}  // namespace
}  // namespace winhelper
