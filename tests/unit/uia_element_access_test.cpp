#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "fakes/fake_uia.h"
#include "uia/element_access.h"

namespace winhelper::uia {
namespace {

using fakes::FakeElement;
using fakes::FakeUia;

class ElementAccessTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(uia.sessions_open(), 0);
    EXPECT_EQ(uia.objects_alive_at_close(), 0);
  }

  FakeUia uia;
  FakeElement& root = uia.add_window(100, "root");
};

TEST_F(ElementAccessTest, SessionOpenFailuresBecomeTheirTexts) {
  uia.open_failure = OpenFailure{OpenFailure::Stage::CreateAutomation, 0x80040154u, "0x80040154"};
  auto resolved = resolve_element(uia, ElementLocator{100, {}, {}});
  ASSERT_FALSE(resolved);
  EXPECT_EQ(resolved.error().message, "CoCreateInstance IUIAutomation: 0x80040154");
  EXPECT_EQ(resolved.error().kind, UiaErrorKind::Unavailable);

  uia.open_failure = OpenFailure{OpenFailure::Stage::ComInitialize, 0x80010106u, {}};
  auto again = resolve_element(uia, ElementLocator{100, {}, {}});
  ASSERT_FALSE(again);
  EXPECT_EQ(again.error().message, "CoInitializeEx failed: 0x80010106");
  EXPECT_EQ(again.error().kind, UiaErrorKind::Unavailable);
}

TEST_F(ElementAccessTest, ClosedWindowReportsElementFromHandle) {
  auto resolved = resolve_element(uia, ElementLocator{999, {1}, {}});
  ASSERT_FALSE(resolved);
  EXPECT_EQ(resolved.error().message, "ElementFromHandle: Invalid window handle. (0x80070578)");
}

TEST_F(ElementAccessTest, ResolutionPrecedence) {
  FakeElement& first = uia.add_child(root, "first");
  first.automation_id = "save";
  FakeElement& second = uia.add_child(root, "second");
  second.automation_id = "save";
  FakeElement& third = uia.add_child(root, "third");
  third.automation_id = "other";

  // Resolution is observed through the element's automation id and runtime id.
  auto resolve_runtime = [&](const ElementLocator& locator) -> std::string {
    auto resolved = resolve_element(uia, locator);
    if (!resolved) return resolved.error().message;
    auto id = resolved->element->runtime_id();
    if (!id) return "unreadable";
    for (FakeElement* e : fakes::fake_subtree(root)) {
      if (e->runtime_id == id.value()) return e->debug_name;
    }
    return "?";
  };

  // The root matches by runtime id before any search.
  EXPECT_EQ(resolve_runtime({100, *root.runtime_id, "save"}), "root");
  // Runtime id beats an earlier automation-id match.
  EXPECT_EQ(resolve_runtime({100, *second.runtime_id, "save"}), "second");
  // A changed runtime id falls back to the automation id, but only where one
  // element has it as the look saw it: of two look-alikes either may be the
  // wrong one.
  EXPECT_EQ(resolve_runtime({100, {9, 9}, "save"}), "Element reference is stale");
  EXPECT_EQ(resolve_runtime({100, {9, 9}, "other"}), "third");
  // Empty runtime id: the fast path's first automation-id match.
  EXPECT_EQ(resolve_runtime({100, {}, "other"}), "third");
  // Neither matches.
  EXPECT_EQ(resolve_runtime({100, {9, 9}, "missing"}), "Element reference is stale");
  EXPECT_EQ(resolve_runtime({100, {9, 9}, ""}), "Element reference is stale");

  // What the look saw is checked: a shared automation id goes to the element of
  // the recorded name, and a runtime id reused by an element of another type or
  // name is stale.
  first.name = "Save draft";
  second.name = "Save";
  third.control_type = 50004;
  EXPECT_EQ(resolve_runtime({100, {9, 9}, "save", 50000, "Save"}), "second");
  EXPECT_EQ(resolve_runtime({100, {}, "save", 50000, "Save"}), "second");
  EXPECT_EQ(resolve_runtime({100, *second.runtime_id, "save", 50000, "Save"}), "second");
  EXPECT_EQ(resolve_runtime({100, *third.runtime_id, "", 50000, ""}),
            "Element reference is stale");
  EXPECT_EQ(resolve_runtime({100, *first.runtime_id, "", 50000, "Save"}),
            "Element reference is stale");
}

TEST_F(ElementAccessTest, FastPathSkipsScanAndScanRunsOnlyWhenNeeded) {
  FakeElement& button = uia.add_child(root, "button");
  button.automation_id = "ok";
  ASSERT_TRUE(resolve_element(uia, {100, *button.runtime_id, "ok"}));
  auto calls = uia.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindFirst"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindAll"), 0);

  // No automation id: no fast path; a search by runtime id, never a scan.
  FakeUia other;
  FakeElement& w = other.add_window(1);
  FakeElement& child = other.add_child(w);
  ASSERT_TRUE(resolve_element(other, {1, *child.runtime_id, ""}));
  calls = other.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindFirst"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindAll"), 0);

  // A twin found first by automation id: the runtime id finds the other.
  FakeElement& twin = uia.add_child(root, "twin");
  twin.automation_id = "ok";
  {
    auto resolved = resolve_element(uia, {100, *twin.runtime_id, "ok"});
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->element->runtime_id().value(), *twin.runtime_id);
  }
  calls = uia.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindFirst"), 3);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindAll"), 0);
}

TEST_F(ElementAccessTest, EmptyLocatorMatchesFirstElementWithEmptyReadableRuntimeId) {
  root.runtime_id = std::nullopt;  // unreadable never matches
  FakeElement& a = uia.add_child(root, "a");
  a.runtime_id = RuntimeId{5};
  FakeElement& b = uia.add_child(root, "b");
  b.runtime_id = RuntimeId{};
  b.automation_id = "b";
  {
    auto resolved = resolve_element(uia, {100, {}, {}});
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->element->automation_id().value(), "b");
  }

  b.runtime_id = std::nullopt;
  auto stale = resolve_element(uia, {100, {}, {}});
  ASSERT_FALSE(stale);
  EXPECT_EQ(stale.error().message, "Element reference is stale");
  EXPECT_EQ(stale.error().kind, UiaErrorKind::Stale);
}

TEST_F(ElementAccessTest, ScanFailuresCarryTheirSteps) {
  // Only a locator without ids scans the window.
  FakeElement& child = uia.add_child(root);
  ElementLocator locator{100, {}, {}};
  uia.get_element_failures[1] = "boom (0x80004005)";
  auto failed = resolve_element(uia, locator);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().message, "GetElement(1): boom (0x80004005)");
  uia.get_element_failures.clear();

  uia.find_all_failure = "0x00000000";
  EXPECT_EQ(resolve_element(uia, locator).error().message, "FindAll: 0x00000000");
  uia.find_all_failure.reset();
  uia.length_failure = "bad (0x80004005)";
  EXPECT_EQ(resolve_element(uia, locator).error().message, "ElementArray.Length: bad (0x80004005)");
  uia.length_failure.reset();
  uia.control_view_condition_failure = "x (0x8000FFFF)";
  EXPECT_EQ(resolve_element(uia, locator).error().message,
            "CreatePropertyCondition: x (0x8000FFFF)");
  (void)child;
}

class HitTestTest : public ElementAccessTest {
 protected:
  FakeElement& pane = uia.add_child(root, "pane");
  FakeElement& target = uia.add_child(pane, "target");
  FakeElement& inner = uia.add_child(target, "inner");
  FakeElement& elsewhere = uia.add_window(200, "other app");
  ElementLocator locator{100, *target.runtime_id, {}};
};

TEST_F(HitTestTest, TargetDescendantAndAncestorCountButOthersDoNot) {
  uia.elements_at_points[{10, 20}] = &target;
  uia.elements_at_points[{11, 20}] = &inner;
  uia.elements_at_points[{12, 20}] = &pane;
  uia.elements_at_points[{13, 20}] = &elsewhere;
  EXPECT_TRUE(hit_test(uia, locator, 10, 20).value());
  EXPECT_TRUE(hit_test(uia, locator, 11, 20).value());
  EXPECT_TRUE(hit_test(uia, locator, 12, 20).value());
  EXPECT_FALSE(hit_test(uia, locator, 13, 20).value());
}

TEST_F(HitTestTest, PointsAreRoundedHalfAwayFromZeroAndClamped) {
  uia.elements_at_points[{0, 0}] = &target;
  uia.elements_at_points[{3, -3}] = &target;
  uia.elements_at_points[{std::numeric_limits<std::int32_t>::max(),
                          std::numeric_limits<std::int32_t>::min()}] = &target;
  EXPECT_TRUE(hit_test(uia, locator, 2.5, -2.5).value());
  EXPECT_EQ(uia.last_point(), std::make_pair(3, -3));
  EXPECT_TRUE(hit_test(uia, locator, std::nan(""), 0.4).value());
  EXPECT_EQ(uia.last_point(), std::make_pair(0, 0));
  EXPECT_TRUE(hit_test(uia, locator, 1e12, -1e12).value());
}

TEST_F(HitTestTest, AncestorClimbStopsAfter64Levels) {
  FakeElement* deepest = &target;
  for (int i = 0; i < 64; ++i) deepest = &uia.add_child(*deepest);
  uia.elements_at_points[{1, 1}] = deepest;  // 64 levels below the target
  EXPECT_TRUE(hit_test(uia, locator, 1, 1).value());
  FakeElement& deeper = uia.add_child(*deepest);
  uia.elements_at_points[{2, 2}] = &deeper;  // 65 levels below
  EXPECT_FALSE(hit_test(uia, locator, 2, 2).value());
}

TEST_F(HitTestTest, EmptyRuntimeIdsNeverMatchByRelation) {
  target.runtime_id = RuntimeId{};
  uia.elements_at_points[{5, 5}] = &inner;
  // The target is found through its automation id; its empty runtime id
  // cannot be recognised among the hit element's ancestors.
  target.automation_id = "t";
  ElementLocator by_id{100, {}, "t"};
  EXPECT_FALSE(hit_test(uia, by_id, 5, 5).value());
}

TEST_F(HitTestTest, FailuresCarryTheirSteps) {
  uia.element_from_point_failure = "nope (0x80004005)";
  EXPECT_EQ(hit_test(uia, locator, 1, 1).error().message, "ElementFromPoint: nope (0x80004005)");
  uia.element_from_point_failure.reset();
  uia.elements_at_points[{1, 1}] = &elsewhere;
  uia.walker_failure = "w (0x80004005)";
  EXPECT_EQ(hit_test(uia, locator, 1, 1).error().message, "ControlViewWalker: w (0x80004005)");
}

TEST_F(ElementAccessTest, BoundsAreLeftTopAndDifferences) {
  FakeElement& child = uia.add_child(root);
  child.rect = ScreenRect{-10, 20, 90, 25};
  auto bounds = element_bounds(uia, {100, *child.runtime_id, {}});
  ASSERT_TRUE(bounds);
  EXPECT_EQ(bounds->runtime_id, *child.runtime_id);
  EXPECT_EQ(bounds->x, -10);
  EXPECT_EQ(bounds->y, 20);
  EXPECT_EQ(bounds->width, 100);
  EXPECT_EQ(bounds->height, 5);

  child.failures["CurrentBoundingRectangle"] = "gone (0x80040201)";
  EXPECT_EQ(element_bounds(uia, {100, *child.runtime_id, {}}).error().message,
            "CurrentBoundingRectangle: gone (0x80040201)");
}

}  // namespace
}  // namespace winhelper::uia
