#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_clock.h"
#include "fakes/fake_uia.h"
#include "uia/extraction.h"
#include "uia/roles.h"

namespace winhelper::uia {
namespace {

using fakes::FakeElement;
using fakes::FakeUia;

class ExtractionTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(uia.sessions_open(), 0);
    EXPECT_EQ(uia.objects_alive_at_close(), 0);
  }

  ElementList extract_all() {
    auto list = extract_window(uia, 100, numbering);
    EXPECT_TRUE(list) << list.error().message;
    return list ? list.value() : ElementList{};
  }

  static std::vector<std::string> refs(const ElementList& list) {
    std::vector<std::string> out;
    for (const ExtractedElement& record : list) out.push_back(record.ref);
    return out;
  }

  static int truncated_count(const ElementList& list) {
    return static_cast<int>(std::count_if(list.begin(), list.end(),
                                          [](const ExtractedElement& r) { return r.truncated; }));
  }

  // Adds `count` plain children below `parent`.
  void add_children(FakeElement& parent, int count) {
    for (int i = 0; i < count; ++i) uia.add_child(parent);
  }

  FakeUia uia;
  FreshElementNumbering numbering;
  FakeElement& root = uia.add_window(100, "root");
};

TEST_F(ExtractionTest, RecordCarriesEveryMember) {
  FakeElement& edit = uia.add_child(root, "edit");
  edit.control_type = 50004;
  edit.name = "Name";
  edit.automation_id = "nameBox";
  edit.class_name = "Edit";
  edit.rect = ScreenRect{10, 20, 110, 45};
  edit.keyboard_focusable = true;
  edit.value_pattern = true;
  edit.value = "Ada";
  edit.invoke = true;
  edit.scroll = true;

  ElementList list = extract_all();
  ASSERT_EQ(list.size(), 2u);
  ExtractedElement expected;
  expected.ref = "@e2";
  expected.role = "edit";
  expected.control_type = 50004;
  expected.label = "Name";
  expected.automation_id = "nameBox";
  expected.class_name = "Edit";
  expected.value = "Ada";
  expected.runtime_id = *edit.runtime_id;
  expected.parent_runtime_id = *root.runtime_id;
  expected.bounds = ScreenRect{10, 20, 110, 45};
  expected.can_invoke = true;
  expected.can_press = true;
  expected.can_scroll = true;
  expected.can_set_value = true;
  expected.keyboard_focusable = true;
  EXPECT_EQ(list[1], expected);
  EXPECT_EQ(list[0].parent_runtime_id, RuntimeId{});
  EXPECT_EQ(list[0].role, "window");
}

TEST_F(ExtractionTest, SkippedElementsTakeNoNumber) {
  uia.add_child(root, "a");
  uia.add_child(root, "zero width").rect = ScreenRect{5, 5, 5, 50};
  uia.add_child(root, "zero height").rect = ScreenRect{5, 5, 50, 5};
  uia.add_child(root, "offscreen").offscreen = true;
  uia.add_child(root, "offscreen unknown").offscreen = std::nullopt;
  uia.add_child(root, "no type").control_type = std::nullopt;
  uia.add_child(root, "no rect").rect = std::nullopt;
  uia.add_child(root, "b");

  ElementList list = extract_all();
  EXPECT_EQ(refs(list), (std::vector<std::string>{"@e1", "@e2", "@e3"}));
  // The counter carries on into the next extraction with the same numbering.
  ElementList again = extract_all();
  EXPECT_EQ(refs(again), (std::vector<std::string>{"@e4", "@e5", "@e6"}));
  EXPECT_EQ(numbering.handed_out().size(), 6u);
}

TEST_F(ExtractionTest, UnreadablePropertiesFallBack) {
  FakeElement& e = uia.add_child(root);
  e.name = std::nullopt;
  e.automation_id = std::nullopt;
  e.class_name = std::nullopt;
  e.runtime_id = std::nullopt;
  e.enabled = std::nullopt;
  e.keyboard_focusable = std::nullopt;
  e.password = std::nullopt;
  e.value_pattern = true;
  e.value = std::nullopt;
  ElementList list = extract_all();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].label, "");
  EXPECT_EQ(list[1].automation_id, "");
  EXPECT_EQ(list[1].class_name, "");
  EXPECT_EQ(list[1].runtime_id, RuntimeId{});
  EXPECT_EQ(list[1].enabled, true);
  EXPECT_EQ(list[1].keyboard_focusable, false);
  EXPECT_EQ(list[1].is_password, false);
  EXPECT_EQ(list[1].value, "");
}

TEST_F(ExtractionTest, PasswordValueIsNeverRead) {
  FakeElement& pw = uia.add_child(root, "pw");
  pw.control_type = 50004;
  pw.password = true;
  pw.value_pattern = true;
  pw.value = "hunter2";
  pw.name = "Password";
  ElementList list = extract_all();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].value, "");
  EXPECT_EQ(list[1].is_password, true);
  EXPECT_EQ(list[1].can_set_value, true);
  auto calls = uia.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "CurrentValue:pw"), 0);
}

TEST_F(ExtractionTest, CapabilityRules) {
  FakeElement& read_only_edit = uia.add_child(root);
  read_only_edit.value_pattern = true;
  read_only_edit.read_only = true;
  FakeElement& read_only_with_text = uia.add_child(root);
  read_only_with_text.value_pattern = true;
  read_only_with_text.read_only = true;
  read_only_with_text.text_pattern = true;
  FakeElement& document = uia.add_child(root);
  document.text_pattern = true;
  FakeElement& unknown_read_only = uia.add_child(root);
  unknown_read_only.value_pattern = true;
  unknown_read_only.read_only = std::nullopt;
  FakeElement& blank_action = uia.add_child(root);
  blank_action.legacy = true;
  blank_action.default_action = " \t ";
  FakeElement& real_action = uia.add_child(root);
  real_action.legacy = true;
  real_action.default_action = " Press ";
  FakeElement& toggle = uia.add_child(root);
  toggle.toggle = true;
  FakeElement& expander = uia.add_child(root);
  expander.expand_collapse = true;
  FakeElement& selectable = uia.add_child(root);
  selectable.selection_item = true;

  ElementList list = extract_all();
  ASSERT_EQ(list.size(), 10u);
  EXPECT_FALSE(list[1].can_set_value);
  EXPECT_TRUE(list[2].can_set_value);
  EXPECT_TRUE(list[3].can_set_value);
  EXPECT_TRUE(list[4].can_set_value);
  EXPECT_FALSE(list[5].can_press);
  EXPECT_TRUE(list[6].can_press);
  EXPECT_FALSE(list[6].can_invoke);
  EXPECT_TRUE(list[7].can_press);
  EXPECT_TRUE(list[8].can_press);
  EXPECT_TRUE(list[9].can_press);
  EXPECT_FALSE(list[9].can_invoke);
}

TEST(RoleTable, KnownAndUnknownControlTypes) {
  EXPECT_EQ(role_for_control_type(50000), "button");
  EXPECT_EQ(role_for_control_type(50013), "radio");
  EXPECT_EQ(role_for_control_type(50030), "document");
  EXPECT_EQ(role_for_control_type(50038), "separator");
  for (int unknown : {49999, 50001, 50009, 50025, 50031, 50037, 50039, 50040, 0, -1}) {
    EXPECT_EQ(role_for_control_type(unknown), "unknown") << unknown;
  }
}

TEST_F(ExtractionTest, TwoHundredElementsAreNotTruncated) {
  add_children(root, 199);
  ElementList list = extract_all();
  EXPECT_EQ(list.size(), 200u);
  EXPECT_EQ(truncated_count(list), 0);
  auto calls = uia.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetElement(200)"), 0);
}

TEST_F(ExtractionTest, LeftOutElementMarksItsReportedAncestor) {
  FakeElement& group = uia.add_child(root, "group");
  add_children(group, 198);          // indices 2..199
  FakeElement& late = uia.add_child(root, "late");  // index 200, child of root
  (void)late;
  ElementList list = extract_all();
  ASSERT_EQ(list.size(), 200u);
  EXPECT_EQ(list[0].truncated, true);
  EXPECT_EQ(truncated_count(list), 1);

  // The nearest reported ancestor is marked, not the ones above it.
  FakeUia other;
  FreshElementNumbering fresh;
  FakeElement& w = other.add_window(1);
  for (int i = 0; i < 198; ++i) other.add_child(w);
  FakeElement& g = other.add_child(w);  // index 199
  other.add_child(g);                   // index 200, below g
  auto marked = extract_window(other, 1, fresh);
  ASSERT_TRUE(marked);
  EXPECT_FALSE(marked.value()[0].truncated);
  EXPECT_EQ(marked.value()[199].truncated, true);
}

TEST_F(ExtractionTest, OnlyTwelveHundredElementsAreScannedAndLargerTreesMarkTheRoot) {
  add_children(root, 1199);  // 1200 elements: index 1199 is the last one scanned
  // Every left-out element's climb reaches the root: it alone is marked.
  EXPECT_EQ(truncated_count(extract_all()), 1);
  {
    // The element-by-element walk's search result: index 1199 is fetched,
    // 1200 is not.
    uia.cache_failure = "not supported (0x80004001)";
    ElementList list = extract_all();
    EXPECT_EQ(truncated_count(list), 1);
    auto calls = uia.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetElement(1199)"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetElement(1200)"), 0);
    uia.cache_failure.reset();
  }
  uia.add_child(root);  // 1201 elements
  ElementList list = extract_all();
  EXPECT_EQ(list[0].truncated, true);
  EXPECT_EQ(truncated_count(list), 1);
}

TEST_F(ExtractionTest, EmptyRuntimeIdsAreNotMarkedByUnreadableParents) {
  FakeElement& no_id = uia.add_child(root);
  no_id.runtime_id = std::nullopt;
  add_children(no_id, 198);
  uia.add_child(no_id);  // index 200, below a parent whose runtime id cannot be read
  ElementList list = extract_all();
  ASSERT_EQ(list.size(), 200u);
  EXPECT_FALSE(list[1].truncated);
}

TEST_F(ExtractionTest, WholeExtractionFailures) {
  add_children(root, 250);
  uia.get_element_failures[250] = "late (0x80004005)";  // during the scan: ignored
  EXPECT_TRUE(extract_window(uia, 100, numbering));
  uia.get_element_failures[3] = "gone (0x80004005)";
  EXPECT_EQ(extract_window(uia, 100, numbering).error().message,
            "GetElement(3): gone (0x80004005)");
  uia.get_element_failures.clear();
  uia.walker_failure = "w (0x80004005)";
  EXPECT_EQ(extract_window(uia, 100, numbering).error().message,
            "ControlViewWalker: w (0x80004005)");
}

TEST_F(ExtractionTest, NegativeLengthExaminesTwoHundred) {
  add_children(root, 3);
  uia.length_override = -1;
  auto list = extract_window(uia, 100, numbering);
  ASSERT_FALSE(list);
  EXPECT_EQ(list.error().message, "GetElement(4): The parameter is incorrect. (0x80070057)");
}

TEST_F(ExtractionTest, WarnPathWritesOneLineAndReturnsNothing) {
  uia.open_failure = OpenFailure{OpenFailure::Stage::CreateAutomation, 0x80040154u, "0x80040154"};
  std::vector<std::string> lines;
  ElementList list = extract_window_or_warn(uia, 100, numbering,
                                            [&](const std::string& line) { lines.push_back(line); });
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "[uia] WARN extraction skipped: CoCreateInstance IUIAutomation: 0x80040154\n"}));
  uia.open_failure.reset();
  lines.clear();
  list = extract_window_or_warn(uia, 100, numbering,
                                [&](const std::string& line) { lines.push_back(line); });
  EXPECT_EQ(list.size(), 1u);
  EXPECT_TRUE(lines.empty());
}

TEST_F(ExtractionTest, ScopeWalksFromTheResolvedElement) {
  FakeElement& list_box = uia.add_child(root, "list");
  list_box.automation_id = "items";
  uia.add_child(list_box);
  uia.add_child(list_box);
  uia.add_child(root, "sibling");
  auto scoped = extract_scope(uia, {100, {}, "items"}, numbering);
  ASSERT_TRUE(scoped);
  ASSERT_EQ(scoped->size(), 3u);
  EXPECT_EQ((*scoped)[0].automation_id, "items");
  EXPECT_EQ((*scoped)[0].parent_runtime_id, *root.runtime_id);

  auto stale = extract_scope(uia, {100, {1, 1}, "nothing"}, numbering);
  ASSERT_FALSE(stale);
  EXPECT_EQ(stale.error().message, "Element reference is stale");
}

// An empty web document of a Chromium-family window is read again until its
// elements appear, and for 2 s at most; then the look answers with what it has
// and a warning. Only the answered reading takes element numbers.
TEST_F(ExtractionTest, AnEmptyWebDocumentIsReadAgainUntilItFills) {
  root.class_name = "Chrome_WidgetWin_1";
  FakeElement& document = uia.add_child(root, "document");
  document.control_type = 50030;
  document.class_name = "Chrome_RenderWidgetHostHWND";
  fakes::FakeClock clock;
  std::vector<std::string> warnings;
  auto warn = [&](const std::string& line) { warnings.push_back(line); };

  auto empty = extract_window_settled_or_warn(uia, 100, numbering, clock, warn);
  EXPECT_EQ(clock.sleeps(), kLateTreeWaitMs / kLateTreePollMs);
  EXPECT_EQ(warnings, (std::vector<std::string>{"[uia] WARN the web document has no elements "
                                                "yet after 2 s; the outline may be incomplete\n"}));
  EXPECT_EQ(refs(empty), (std::vector<std::string>{"@e1", "@e2"}));

  clock.on_sleep = [&] {
    if (document.children.empty()) uia.add_child(document, "link");
  };
  warnings.clear();
  auto filled = extract_window_settled_or_warn(uia, 100, numbering, clock, warn);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(refs(filled), (std::vector<std::string>{"@e3", "@e4", "@e5"}));

  root.class_name = "Notepad";  // an empty document elsewhere is simply empty
  document.class_name = "Edit";
  document.children.clear();
  EXPECT_FALSE(awaits_late_tree(extract_all()));
}

}  // namespace
}  // namespace winhelper::uia
