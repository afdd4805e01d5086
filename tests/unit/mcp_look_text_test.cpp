// The compact look text and the checks of tool arguments.

#include <gtest/gtest.h>

#include "mcp/argument_check.h"
#include "mcp/outline_text.h"

namespace winhelper::mcp {
namespace {

Json node(const char* role, const char* title, const char* ref, Json extra = Json::object()) {
  Json n = {{"role", role},
            {"title", title},
            {"ref", ref},
            {"value", ""},
            {"canPress", false},
            {"canSetValue", false},
            {"canFocus", false},
            {"truncated", false},
            {"rect", {{"x", 0}, {"y", 0}, {"w", 1}, {"h", 1}}},
            {"children", Json::array()}};
  n.update(extra);
  return n;
}

TEST(LookText, OneLinePerNodeWithEveryRefValueAndFlag) {
  Json password =
      node("edit", "Password:", "win:look_2:@e5", {{"canSetValue", true}, {"isTextInput", true}});
  Json quoted = node("text", "Say \"hi\"\nthen go", "win:look_2:@e6",
                     {{"value", "line 1\r\nline 2"},
                      {"truncated", true},
                      {"rect", {{"x", 10.4}, {"y", 19.6}, {"w", 120.5}, {"h", 28}}}});
  Json pane = node("pane", "", "win:look_2:@e4", {{"children", {password, quoted}}});
  Json root = node("Window", "Editor", "@w1", {{"children", {pane}}});
  EXPECT_EQ(render_outline(root),
            "Window \"Editor\" @w1 0,0 1x1\n"
            "  pane \"\" win:look_2:@e4 0,0 1x1\n"
            "    edit \"Password:\" win:look_2:@e5 [setvalue,textinput] 0,0 1x1\n"
            "    text \"Say \\\"hi\\\"\\nthen go\" win:look_2:@e6 =\"line 1\\r\\nline 2\" "
            "[truncated] 10,20 121x28\n");

  Json look = {{"lookId", "look_2"},
               {"outline", root},
               {"image", {{"width", 640}, {"height", 480}, {"mimeType", "image/png"}}}};
  std::string text = render_look(look);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "lookId look_2, image 640x480 pixels; element lines: role \"title\" ref =\"value\" "
            "[flags] x,y wxh");
}

TEST(ArgumentCheck, NamesTheFirstArgumentThatBreaksTheSchema) {
  Json schema = Json::parse(R"({
    "type": "object", "additionalProperties": false, "required": ["name"],
    "properties": {
      "name": {"type": "string"},
      "count": {"type": "integer", "minimum": 0, "maximum": 10},
      "mode": {"type": "string", "enum": ["a", "b"]},
      "gone": {"type": ["boolean", "null"]},
      "points": {"type": "array", "maxItems": 2,
                 "items": {"type": "object", "required": ["x"], "properties": {"x": {"type": "number"}}}},
      "target": {"type": "object", "anyOf": [{"required": ["ref"]}, {"required": ["x", "y"]}]}
    }})");
  auto fault = [&](const char* arguments) {
    return check_arguments(schema, Json::parse(arguments)).value_or("valid");
  };
  EXPECT_EQ(
      fault(
          R"({"name":"n","count":3,"mode":"b","gone":null,"points":[{"x":1.5}],"target":{"x":1,"y":2}})"),
      "valid");
  EXPECT_EQ(fault(R"({})"), "arguments.name is required");
  EXPECT_EQ(fault(R"({"name":1})"), "arguments.name must be a string");
  EXPECT_EQ(fault(R"({"name":"n","count":3.0})"), "arguments.count must be an integer");
  EXPECT_EQ(fault(R"({"name":"n","count":-1})"), "arguments.count must be at least 0");
  EXPECT_EQ(fault(R"({"name":"n","count":11})"), "arguments.count must be at most 10");
  EXPECT_EQ(fault(R"({"name":"n","mode":"c"})"), "arguments.mode must be one of \"a\", \"b\"");
  EXPECT_EQ(fault(R"({"name":"n","gone":1})"), "arguments.gone must be a boolean or null");
  EXPECT_EQ(fault(R"({"name":"n","points":[{"x":1},{}]})"), "arguments.points[1].x is required");
  EXPECT_EQ(fault(R"({"name":"n","points":[{"x":1},{"x":1},{"x":1}]})"),
            "arguments.points must have at most 2 items");
  EXPECT_EQ(fault(R"({"name":"n","target":{"x":1}})"), "arguments.target must have ref, or x and y");
  EXPECT_EQ(fault(R"({"name":"n","extra":true})"), "arguments.extra is not a known argument");
  EXPECT_EQ(fault(R"([1])"), "arguments must be an object");
}

}  // namespace
}  // namespace winhelper::mcp
