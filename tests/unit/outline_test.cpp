#include <gtest/gtest.h>

#include "fakes/fake_uia.h"
#include "observe/outline.h"
#include "uia/extraction.h"

namespace winhelper {
namespace {

using nlohmann::json;

class OutlineTest : public ::testing::Test {
 protected:
  OutlineTest() {
    context.look_id = "look_5";
    context.frame_x = 100;
    context.frame_y = 50;
    context.scale_x = 0.5;
    context.scale_y = 2;
    context.image_width = 400;
    context.image_height = 600;
  }

  json outline(const uia::ElementList& extracted) {
    return build_outline(extracted, context, root_record, "@w3", elements);
  }

  static uia::ExtractedElement element(int id, int parent, const std::string& ref = "") {
    uia::ExtractedElement e;
    e.runtime_id = {id};
    e.parent_runtime_id = {parent};
    e.ref = ref;
    return e;
  }

  OutlineContext context;
  WindowRecord root_record = [] {
    WindowRecord r;
    r.window_id = 777;
    r.class_name = "Notepad";
    r.title = "Untitled";
    r.is_focused = true;
    return r;
  }();
  std::map<std::string, ElementRecord> elements;
};

TEST_F(OutlineTest, ElementNodeAndRecord) {
  uia::ExtractedElement edit;
  edit.ref = "@e12";
  edit.role = "edit";
  edit.automation_id = "name";
  edit.class_name = "Edit";
  edit.runtime_id = {42, -1};
  edit.label = "Name";
  edit.value = "Ada";
  edit.bounds = ScreenRect{110, 60, 110, 70};
  edit.can_press = true;
  edit.can_set_value = true;
  edit.keyboard_focusable = true;
  json root = outline({edit});
  ASSERT_EQ(root["children"].size(), 1u);
  json rect{{"x", 5.0}, {"y", 20.0}, {"w", 0.5}, {"h", 20.0}};
  json expected{
      {"actions", json::array()}, {"canDecrement", false}, {"canFocus", true},
      {"canIncrement", false},    {"canPress", true},      {"canScroll", false},
      {"canSetValue", true},      {"children", json::array()},
      {"description", "Edit"},    {"focused", false},      {"identifier", "name"},
      {"isTextInput", true},      {"offscreen", false},    {"pictureOnly", false},
      {"rect", rect},             {"ref", "win:look_5:@e12"},
      {"role", "edit"},           {"subrole", "Edit"},
      {"text", json::array({{{"confidence", 1}, {"rect", rect}, {"string", "Ada"}}})},
      {"title", "Name"},          {"truncated", false},    {"value", "Ada"}};
  EXPECT_EQ(root["children"][0], expected);

  ASSERT_EQ(elements.count("win:look_5:@e12"), 1u);
  const ElementRecord& record = elements["win:look_5:@e12"];
  EXPECT_EQ(record.automation_id, "name");
  EXPECT_EQ(record.class_descriptor, "Edit Notepad");
  EXPECT_EQ(record.runtime_id, (std::vector<std::int32_t>{42, -1}));
  EXPECT_EQ(record.window_id, 777);
  EXPECT_EQ(record.x, 110);
  EXPECT_EQ(record.y, 60);
  EXPECT_EQ(record.width, 1);
  EXPECT_EQ(record.height, 10);
  EXPECT_TRUE(record.can_press);
  EXPECT_TRUE(record.can_set_value);
  EXPECT_FALSE(record.can_scroll);
}

TEST_F(OutlineTest, RootNodeAndBareElements) {
  uia::ExtractedElement bare_element;
  bare_element.role = "unknown";
  json root = outline({bare_element, bare_element});
  EXPECT_EQ(root["ref"], "@w3");
  EXPECT_EQ(root["role"], "Window");
  EXPECT_EQ(root["subrole"], "Notepad");
  EXPECT_EQ(root["title"], "Untitled");
  EXPECT_EQ(root["focused"], true);
  EXPECT_EQ(root["rect"], (json{{"x", 0.0}, {"y", 0.0}, {"w", 400.0}, {"h", 600.0}}));
  ASSERT_EQ(root["children"].size(), 2u);
  const json& bare = root["children"][0];
  EXPECT_EQ(bare["ref"], "");
  EXPECT_EQ(bare["role"], "unknown");
  EXPECT_EQ(bare["rect"], (json{{"x", -50.0}, {"y", -100.0}, {"w", 0.5}, {"h", 2.0}}));
  EXPECT_EQ(bare["text"], json::array());
  EXPECT_TRUE(elements.empty());

  WindowRecord menu;
  menu.kind = "menu";
  json menu_root = build_outline({}, context, menu, "@w9", elements);
  EXPECT_EQ(menu_root["role"], "Menu");
  EXPECT_EQ(menu_root["focused"], false);
  EXPECT_EQ(menu_root["children"], json::array());
}

TEST_F(OutlineTest, PasswordShowsLabelNeverValue) {
  uia::ElementList raw(3);
  raw[0].ref = "@e1";
  raw[0].is_password = true;
  raw[0].value = "hunter2";
  raw[0].label = "Password";
  raw[1].ref = "@e2";
  raw[2].ref = "@e3";
  raw[2].label = "Only label";
  json root = outline(raw);
  const json& pw = root["children"][0];
  EXPECT_EQ(pw["value"], "");
  ASSERT_EQ(pw["text"].size(), 1u);
  EXPECT_EQ(pw["text"][0]["string"], "Password");
  EXPECT_EQ(root.dump().find("hunter2"), std::string::npos);
  EXPECT_TRUE(elements["win:look_5:@e1"].is_password);
  EXPECT_EQ(root["children"][1]["text"], json::array());
  EXPECT_EQ(root["children"][2]["text"][0]["string"], "Only label");
}

TEST_F(OutlineTest, TextInputRoles) {
  uia::ElementList raw(3);
  raw[0].role = "document";
  raw[1].role = "Edit";
  raw[2].role = "edit";
  json root = outline(raw);
  EXPECT_EQ(root["children"][0]["isTextInput"], true);
  EXPECT_EQ(root["children"][1]["isTextInput"], false);
  EXPECT_EQ(root["children"][2]["isTextInput"], true);
}

TEST_F(OutlineTest, TreeAssemblyKeepsOrderAndHandlesSelfParentsAndDuplicates) {
  uia::ExtractedElement no_parent;
  no_parent.ref = "@e6";
  uia::ElementList raw = {
      element(1, 0, "@e1"),
      element(2, 1, "@e2"),
      element(3, 1, "@e3"),
      element(4, 4, "@e4"),  // its own parent: top level
      element(5, 2, "@e5"),
      no_parent,
  };
  json root = outline(raw);
  ASSERT_EQ(root["children"].size(), 3u);
  EXPECT_EQ(root["children"][0]["ref"], "win:look_5:@e1");
  EXPECT_EQ(root["children"][1]["ref"], "win:look_5:@e4");
  EXPECT_EQ(root["children"][2]["ref"], "win:look_5:@e6");
  const json& first = root["children"][0];
  ASSERT_EQ(first["children"].size(), 2u);
  EXPECT_EQ(first["children"][0]["ref"], "win:look_5:@e2");
  EXPECT_EQ(first["children"][1]["ref"], "win:look_5:@e3");
  EXPECT_EQ(first["children"][0]["children"][0]["ref"], "win:look_5:@e5");
  EXPECT_EQ(elements.size(), 6u);

  // When two elements share a runtime id, children attach to the later one.
  elements.clear();
  json dup = outline({element(1, 0), element(1, 0), element(2, 1)});
  ASSERT_EQ(dup["children"].size(), 2u);
  EXPECT_EQ(dup["children"][0]["children"].size(), 0u);
  EXPECT_EQ(dup["children"][1]["children"].size(), 1u);
}

TEST_F(OutlineTest, CyclesVanishAndDepthIsCutAt64) {
  json cycle = outline({element(1, 2, "@e1"), element(2, 1, "@e2"), element(3, 0, "@e3")});
  ASSERT_EQ(cycle["children"].size(), 1u);
  EXPECT_EQ(cycle["children"][0]["ref"], "win:look_5:@e3");
  elements.clear();

  uia::ElementList chain;
  for (int i = 1; i <= 70; ++i) chain.push_back(element(i, i - 1, "@e" + std::to_string(i)));
  json root = outline(chain);
  const json* node = &root["children"][0];
  for (int depth = 1; depth < 65; ++depth) {
    ASSERT_EQ((*node)["truncated"], false) << depth;
    ASSERT_EQ((*node)["children"].size(), 1u) << depth;
    node = &(*node)["children"][0];
  }
  EXPECT_EQ((*node)["ref"], "win:look_5:@e65");
  EXPECT_EQ((*node)["truncated"], true);
  EXPECT_EQ((*node)["children"], json::array());
  // Every element keeps its record even where the outline cut it.
  EXPECT_EQ(elements.size(), 70u);
}

TEST_F(OutlineTest, ExtractionTruncationPassesThrough) {
  uia::ElementList raw(2);
  raw[0].ref = "@e1";
  raw[0].truncated = true;
  raw[1].ref = "@e2";
  json root = outline(raw);
  EXPECT_EQ(root["children"][0]["truncated"], true);
  EXPECT_EQ(root["children"][1]["truncated"], false);
}

TEST_F(OutlineTest, ExtractedWindowBecomesANestedOutline) {
  fakes::FakeUia uia;
  fakes::FakeElement& window = uia.add_window(777, "window");
  window.rect = ScreenRect{100, 50, 900, 350};
  fakes::FakeElement& list = uia.add_child(window, "list");
  list.control_type = 50008;
  list.rect = ScreenRect{110, 60, 300, 200};
  fakes::FakeElement& item = uia.add_child(list, "item");
  item.control_type = 50007;
  item.name = "First";
  item.rect = ScreenRect{110, 60, 300, 80};
  uia.add_child(window, "hidden").offscreen = true;

  uia::FreshElementNumbering numbering;
  auto extracted = uia::extract_window(uia, 777, numbering);
  ASSERT_TRUE(extracted);
  json root = outline(extracted.value());
  ASSERT_EQ(root["children"].size(), 1u);
  const json& window_node = root["children"][0];
  EXPECT_EQ(window_node["ref"], "win:look_5:@e1");
  EXPECT_EQ(window_node["rect"], (json{{"x", 0.0}, {"y", 0.0}, {"w", 400.0}, {"h", 600.0}}));
  ASSERT_EQ(window_node["children"].size(), 1u);
  const json& list_node = window_node["children"][0];
  EXPECT_EQ(list_node["role"], "list");
  ASSERT_EQ(list_node["children"].size(), 1u);
  EXPECT_EQ(list_node["children"][0]["title"], "First");
  EXPECT_EQ(list_node["children"][0]["ref"], "win:look_5:@e3");
  EXPECT_EQ(elements.size(), 3u);
  EXPECT_EQ(elements["win:look_5:@e3"].runtime_id, *item.runtime_id);
  EXPECT_EQ(elements["win:look_5:@e3"].width, 190);
}

}  // namespace
}  // namespace winhelper
