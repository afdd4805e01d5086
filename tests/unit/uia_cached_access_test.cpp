// Finding an element again, the act preflight, pressing and reading text
// through cache requests: the same answers as live reads, in a few round
// trips however large the window.

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>

#include "fakes/fake_uia.h"
#include "uia/element_access.h"
#include "uia/element_actions.h"
#include "uia/text_reading.h"

namespace winhelper::uia {
namespace {

using fakes::FakeElement;
using fakes::FakeUia;

class CachedAccess : public ::testing::Test {
 protected:
  // A window of `size` elements; the target is the last one, without an
  // automation id unless given, so that resolution has to scan.
  FakeElement& window_with_target(int size, const std::string& automation_id = {}) {
    for (int i = 1; i < size - 1; ++i) uia.add_child(root).automation_id = "a" + std::to_string(i);
    FakeElement& target = uia.add_child(root, "target");
    target.automation_id = automation_id;
    target.rect = ScreenRect{40, 50, 90, 70};
    target.toggle = true;
    target.legacy = true;
    target.default_action = "Check";
    target.text_pattern = true;
    target.document_text = "notes";
    uia.elements_at_points[{65, 60}] = &target;
    return target;
  }

  // One act preflight (bounds, then one hit test), a press and a text read,
  // each counted in round trips.
  struct Costs {
    long preflight = 0;
    long press = 0;
    long read = 0;
  };
  Costs costs(const ElementLocator& locator) {
    Costs c;
    uia.reset_counts();
    auto bounds = element_bounds(uia, locator);
    EXPECT_TRUE(bounds);
    if (!bounds) return c;
    auto hit =
        hit_test(uia, locator, bounds->x + bounds->width / 2, bounds->y + bounds->height / 2);
    EXPECT_TRUE(hit && hit.value());
    c.preflight = uia.round_trips();
    uia.reset_counts();
    auto pressed = press_element(uia, locator);
    EXPECT_TRUE(pressed && pressed->kind == PressResult::Kind::Toggled);
    c.press = uia.round_trips();
    uia.reset_counts();
    {
      auto resolved = resolve_element(uia, locator);
      auto text = read_element_text(*resolved->element, 4096);
      EXPECT_TRUE(text && text->text == "notes");
    }
    c.read = uia.round_trips();
    return c;
  }

  // The costs through caches, then with a provider that cannot cache.
  std::pair<Costs, Costs> cached_and_live(const ElementLocator& locator, const char* what) {
    Costs cached = costs(locator);
    uia.cache_failure = "The provider does not cache (0x80004001)";
    Costs live = costs(locator);
    std::printf("%s: preflight %ld/%ld, press %ld/%ld, read %ld/%ld round trips cached/live\n",
                what, cached.preflight, live.preflight, cached.press, live.press, cached.read,
                live.read);
    return {cached, live};
  }

  FakeUia uia;
  FakeElement& root = uia.add_window(100, "root");
};

TEST_F(CachedAccess, FindingByRuntimeIdCostsTheSameFewRoundTripsAtAnySize) {
  FakeElement& target = window_with_target(5000);
  auto [cached, live] = cached_and_live({100, *target.runtime_id, {}},
                                        "5000-element window, element found by runtime id");
  EXPECT_LE(cached.preflight, 8);
  EXPECT_LE(cached.press, 5);
  EXPECT_LE(cached.read, 5);
  EXPECT_LE(live.preflight, 20);
  // Only the target is searched for and fetched, never the whole window.
  auto calls = uia.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "FindAll"), 0);
}

TEST_F(CachedAccess, AutomationIdPathSkipsPatternsTheCacheSaysAreMissing) {
  FakeElement& target = window_with_target(120, "check");
  auto [cached, live] =
      cached_and_live({100, *target.runtime_id, "check"}, "element found by automation id");
  // Toggling needs no attempt at the invoke pattern, which the cache says is
  // missing; reading needs no name read.
  EXPECT_LE(cached.press, 5);
  EXPECT_LT(cached.press, live.press);
  EXPECT_LT(cached.preflight, live.preflight);
}

}  // namespace
}  // namespace winhelper::uia
