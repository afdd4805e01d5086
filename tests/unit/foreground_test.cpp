#include <gtest/gtest.h>

#include "act/foreground.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_windows.h"

namespace winhelper {
namespace {

TEST(ForegroundStep, AlreadyForegroundAsksNothingAndRefusalGivesUpAfterFourTries) {
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
  EXPECT_EQ(windows.foreground_requests(), 5);
  EXPECT_EQ(clock.now_ms() - start, 80);
}

}  // namespace
}  // namespace winhelper
