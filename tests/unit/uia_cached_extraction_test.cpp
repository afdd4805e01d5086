// The cached extraction is held to the element-by-element walk: on a corpus
// of generated trees both must give byte-identical records, and the cached
// one must stay within a fixed number of round trips whatever the size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "fakes/fake_uia.h"
#include "uia/element_access.h"
#include "uia/extraction.h"
#include "uia/session.h"

namespace winhelper::uia {
namespace {

using fakes::FakeElement;
using fakes::FakeUia;

constexpr std::int64_t kWindow = 100;

struct Shape {
  int size = 10;
  unsigned seed = 1;
  double chain = 0.0;   // chance that the next element goes below the last one
  double quirks = 0.0;  // chance of each odd property on an element
  bool unreadable_ids = false;
};

// A window of `shape.size` elements with values, passwords, patterns, skipped
// elements, elements outside the control view and unreadable properties.
void grow(FakeUia& uia, FakeElement& root, const Shape& shape) {
  std::mt19937 random(shape.seed);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  auto odd = [&] { return chance(random) < shape.quirks; };
  std::vector<FakeElement*> all{&root};
  for (int i = 1; i < shape.size; ++i) {
    FakeElement* parent = chance(random) < shape.chain
                              ? all.back()
                              : all[static_cast<std::size_t>(random() % all.size())];
    FakeElement& e = uia.add_child(*parent);
    all.push_back(&e);
    e.control_type = 50000 + static_cast<int>(random() % 41);
    e.name = "n" + std::to_string(i);
    e.automation_id = "a" + std::to_string(i % 97);
    e.rect = ScreenRect{i % 50, i % 30, i % 50 + 10, i % 30 + 8};
    e.invoke = odd();
    e.toggle = odd();
    e.selection_item = odd();
    e.expand_collapse = odd();
    e.scroll = odd();
    e.text_pattern = odd();
    e.legacy = odd();
    e.default_action = odd() ? " \t " : "Press";
    if (odd()) {
      e.value_pattern = true;
      e.value = "v" + std::to_string(i);
      e.read_only = odd() ? std::optional<bool>() : std::optional<bool>(odd());
      e.password = odd() ? std::optional<bool>() : std::optional<bool>(odd());
      if (e.password == true) e.value = "secret" + std::to_string(i);
    }
    if (odd()) e.rect = ScreenRect{5, 5, 5, 20};  // no width: skipped
    if (odd()) e.offscreen = odd() ? std::optional<bool>() : std::optional<bool>(true);
    if (odd()) e.control_type = std::nullopt;
    if (odd()) e.control_element = odd() ? std::optional<bool>() : std::optional<bool>(false);
    if (odd()) e.name = std::nullopt;
    if (odd()) e.class_name = std::nullopt;
    if (odd()) e.enabled = std::nullopt;
    if (odd()) e.value = std::nullopt;
    if (odd()) e.default_action = std::nullopt;
    if (shape.unreadable_ids && odd()) e.runtime_id = std::nullopt;
  }
}

struct Walk {
  ElementList records;
  long round_trips = 0;
  // Elements whose off-screen state, and whose password flag (read only
  // with the full facts), the provider had to work out.
  long offscreen_reads = 0;
  long full_reads = 0;
};

Walk run(FakeUia& uia, bool per_element, std::int64_t window = kWindow) {
  uia.reset_counts();
  FreshElementNumbering numbering;
  Result<ElementList> list = uia_failure("not run");
  if (per_element) {
    auto session = open_session(uia);
    auto root = window_root(*session.value(), window);
    list = extract_per_element(*session.value(), *root.value(), numbering);
  } else {
    list = extract_window(uia, window, numbering);
  }
  EXPECT_TRUE(list) << list.error().message;
  return Walk{list ? list.value() : ElementList{}, uia.round_trips(),
              uia.provider_reads(property::kIsOffscreen),
              uia.provider_reads(property::kIsPassword)};
}

// The corpus: sizes around every limit, deep chains, odd properties.
std::vector<Shape> corpus() {
  std::vector<Shape> shapes;
  unsigned seed = 7;
  for (int size : {1, 2, 30, 199, 200, 201, 202, 1199, 1200, 1201, 1202, 3000}) {
    shapes.push_back({size, seed++, 0.0, 0.0, false});
    shapes.push_back({size, seed++, 0.3, 0.15, false});
    shapes.push_back({size, seed++, 0.97, 0.1, false});  // chains far deeper than 64
    shapes.push_back({size, seed++, 0.5, 0.3, true});
  }
  return shapes;
}

TEST(CachedExtraction, RecordsEqualTheElementByElementWalkOnACorpus) {
  for (const Shape& shape : corpus()) {
    FakeUia uia;
    FakeElement& root = uia.add_window(kWindow);
    grow(uia, root, shape);
    Walk cached = run(uia, false);
    Walk live = run(uia, true);
    ASSERT_EQ(cached.records, live.records)
        << "size " << shape.size << " seed " << shape.seed << " chain " << shape.chain;
    EXPECT_EQ(uia.password_value_reads(), 0) << "seed " << shape.seed;
    if (!shape.unreadable_ids) {
      // The cache served it: a handful of round trips, not one per read. Only
      // values whose password flag cannot be read are still read one by one.
      EXPECT_LE(cached.round_trips, shape.quirks == 0.0 ? 8 : 24)
          << "size " << shape.size << " seed " << shape.seed;
    }
  }
}

TEST(CachedExtraction, ScopesBelowElementsOutsideTheControlViewClimbLive) {
  // A scope whose parent and children are outside the control view (the scope
  // itself is in it: only such elements are reported and found again):
  // parents and the omission climbs run on past the scope's root.
  FakeUia uia;
  FakeElement& window = uia.add_window(kWindow);
  FakeElement& pane = uia.add_child(window, "pane");
  pane.control_element = false;
  FakeElement& scope = uia.add_child(pane, "scope");
  scope.automation_id = "scope";
  grow(uia, scope, Shape{260, 3, 0.2, 0.2, false});
  for (const FakeElement* child : scope.children)
    const_cast<FakeElement*>(child)->control_element = false;

  auto extract_with = [&](bool cache) {
    uia.cache_failure = cache ? std::nullopt : std::optional<std::string>("no (0x80004001)");
    FreshElementNumbering numbering;
    auto list = extract_scope(uia, {kWindow, {}, "scope"}, numbering);
    EXPECT_TRUE(list);
    return list ? list.value() : ElementList{};
  };
  ElementList cached = extract_with(true);
  EXPECT_EQ(cached, extract_with(false));
  EXPECT_TRUE(std::any_of(cached.begin(), cached.end(),
                          [](const ExtractedElement& e) { return e.truncated; }));
}

TEST(CachedExtraction, FailingCacheRequestsFallBackWithTheSameRecords) {
  FakeUia uia;
  FakeElement& root = uia.add_window(kWindow);
  grow(uia, root, Shape{400, 11, 0.3, 0.2, false});
  Walk reference = run(uia, true);
  uia.cache_failure = "The provider does not cache (0x80004001)";
  Walk fallback = run(uia, false);
  EXPECT_EQ(fallback.records, reference.records);
  EXPECT_GT(fallback.round_trips, reference.round_trips);  // the failed request, then the walk
}

TEST(CachedExtraction, NoPasswordFieldIsAskedForItsValue) {
  FakeUia uia;
  FakeElement& root = uia.add_window(kWindow);
  FakeElement& name = uia.add_child(root, "name");
  name.value_pattern = true;
  name.value = "Ada";
  FakeElement& pin = uia.add_child(root, "pin");
  pin.value_pattern = true;
  pin.password = true;
  pin.value = "1234";
  FakeElement& unsure = uia.add_child(root, "unsure");  // unreadable flag: read as before
  unsure.value_pattern = true;
  unsure.password = std::nullopt;
  unsure.value = "shown";
  Walk cached = run(uia, false);
  EXPECT_EQ(cached.records, run(uia, true).records);
  EXPECT_EQ(uia.password_value_reads(), 0);
  ASSERT_EQ(cached.records.size(), 4u);
  EXPECT_EQ(cached.records[1].value, "Ada");
  EXPECT_EQ(cached.records[2].value, "");
  EXPECT_EQ(cached.records[3].value, "shown");
}

TEST(CachedExtraction, RoundTripsStayBoundedWhateverTheWindowSize) {
  std::vector<std::pair<int, Walk>> cached;
  long per_element_5000 = 0;
  for (int size : {122, 1201, 5000, 50000}) {
    FakeUia uia;
    FakeElement& root = uia.add_window(kWindow);
    grow(uia, root, Shape{size, 5, 0.2, 0.1, false});
    cached.emplace_back(size, run(uia, false));
    Walk live = run(uia, true);
    std::printf("window of %d elements: %ld round trips cached, %ld element by element\n", size,
                cached.back().second.round_trips, live.round_trips);
    if (size == 5000) per_element_5000 = live.round_trips;
  }
  long at_1201 = cached[1].second.round_trips;
  EXPECT_LE(cached[2].second.round_trips, at_1201);
  EXPECT_LE(cached[3].second.round_trips, at_1201);
  EXPECT_GE(per_element_5000, 20 * cached[2].second.round_trips);
  // The provider's work stays bounded too: only the examined elements are
  // asked where they are (once by a condition, once more into the cache),
  // and only the reportable ones are read in full, whatever the window's size.
  for (const auto& [size, walk] : cached) {
    EXPECT_LE(walk.offscreen_reads, 2 * kReportedElementLimit) << size << " elements";
    EXPECT_LE(walk.full_reads, 2 * kReportedElementLimit) << size << " elements";
  }
}

}  // namespace
}  // namespace winhelper::uia
