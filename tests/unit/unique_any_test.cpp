#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/win32/unique_any.h"

namespace winhelper::win32 {
namespace {

std::vector<int> g_closed;

// A handle whose "nothing" is -1 rather than 0, as file handles have.
struct CountedTraits {
  using type = int;
  static constexpr int invalid() noexcept { return -1; }
  static void close(int value) noexcept { g_closed.push_back(value); }
};
using Counted = UniqueAny<CountedTraits>;

void close_pointer(int* value) {
  g_closed.push_back(*value);
}

class UniqueAnyTest : public ::testing::Test {
 protected:
  void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueAnyTest, ClosesWhatItHoldsOnceAndNeverTheInvalidValue) {
  {
    Counted empty;
    Counted held(0);  // 0 is a valid handle of this kind
    EXPECT_FALSE(empty);
    EXPECT_TRUE(held);
  }
  EXPECT_EQ(g_closed, std::vector<int>{0});
}

TEST_F(UniqueAnyTest, MovingHandsOverWithoutClosing) {
  {
    Counted source(1);
    Counted moved(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(moved.get(), 1);
    EXPECT_TRUE(g_closed.empty());
  }
  EXPECT_EQ(g_closed, std::vector<int>{1});
}

TEST_F(UniqueAnyTest, MoveAssignmentClosesTheOldValueAtOnce) {
  Counted target(1);
  Counted source(2);
  target = std::move(source);
  EXPECT_EQ(g_closed, std::vector<int>{1});
  auto& alias = target;
  target = std::move(alias);
  EXPECT_EQ(target.get(), 2);
  EXPECT_EQ(g_closed, std::vector<int>{1});
}

TEST_F(UniqueAnyTest, PutClosesTheHeldValueBeforeHandingOutTheSlot) {
  Counted owner(1);
  int* slot = owner.put();
  EXPECT_EQ(g_closed, std::vector<int>{1});
  EXPECT_EQ(*slot, -1);
  *slot = 2;  // as an out-parameter is filled
  owner.reset();
  EXPECT_EQ(g_closed, (std::vector<int>{1, 2}));
}

TEST_F(UniqueAnyTest, ReleaseGivesUpOwnershipAndResetTakesANewValue) {
  Counted owner(1);
  EXPECT_EQ(owner.release(), 1);
  EXPECT_FALSE(owner);
  owner.reset(2);
  owner.reset(3);
  EXPECT_EQ(g_closed, std::vector<int>{2});
}

TEST_F(UniqueAnyTest, NullableOwnersSkipNullAndPassTheValueToTheirCloser) {
  int resource = 7;
  {
    UniqueNullable<int*, &close_pointer> empty;
    UniqueNullable<int*, &close_pointer> held(&resource);
  }
  EXPECT_EQ(g_closed, std::vector<int>{7});
}

}  // namespace
}  // namespace winhelper::win32
