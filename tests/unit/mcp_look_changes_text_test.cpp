// The text of a look that reports its changes since an earlier look.

#include <gtest/gtest.h>

#include "mcp/outline_text.h"
#include "mcp_harness.h"

namespace winhelper::mcp {
namespace {

Json node(const char* role, const char* title, const char* ref, Json children = Json::array()) {
  return {{"role", role}, {"title", title}, {"ref", ref}, {"value", ""}, {"canPress", true},
          {"rect", {{"x", 1}, {"y", 2}, {"w", 3}, {"h", 4}}}, {"children", std::move(children)}};
}

Json look_with(Json changes) {
  Json edit = node("edit", "Name:", "win:look_9:@e21");
  edit["value"] = "Ada";
  Json pane = node("pane", "Side", "win:look_9:@e23",
                   Json::array({node("button", "New", "win:look_9:@e24")}));
  Json window = node("window", "Form", "win:look_9:@e20",
                     {edit, node("button", "OK", "win:look_9:@e22"), pane});
  return {{"lookId", "look_9"},
          {"outline", node("Window", "Form", "@w1", Json::array({window}))},
          {"changes", std::move(changes)}};
}

TEST(LookChangesText, OnlyWhatChangedUnderItsAncestorsThenGoneAndUnchanged) {
  // Lists of one are spelled Json::array: compilers disagree on whether a
  // braced list of one element is that element or an array of it.
  Json changes = {{"appeared", Json::array({"win:look_9:@e24"})},
                  {"changed", Json::array({Json{{"ref", "win:look_9:@e21"},
                                                {"earlierRef", "win:look_3:@e11"},
                                                {"fields", {"value", "rect"}}}})},
                  {"gone", {"win:look_3:@e14", "win:look_3:@e15"}},
                  {"sinceLookId", "look_3"},
                  {"unchanged", 2u}};
  EXPECT_EQ(render_look(look_with(changes)),
            "lookId look_9, no image; changes since look_3:\n"
            "Window \"Form\" @w1\n"
            "  window \"Form\" win:look_9:@e20\n"
            "    edit \"Name:\" win:look_9:@e21 =\"Ada\" [press] 1,2 3x4 changed value,rect, was "
            "win:look_3:@e11\n"
            "    pane \"Side\" win:look_9:@e23\n"
            "      button \"New\" win:look_9:@e24 [press] 1,2 3x4 new\n"
            "gone: win:look_3:@e14 win:look_3:@e15; 2 unchanged: act on them through look_3 and "
            "its refs while look_3 is among the last 8 looks\n");

  std::string unchanged = render_look(look_with({{"appeared", Json::array()},
                                                 {"changed", Json::array()},
                                                 {"gone", Json::array()},
                                                 {"sinceLookId", "look_3"},
                                                 {"unchanged", 5u}}));
  EXPECT_EQ(unchanged,
            "lookId look_9, no image; no changes since look_3\n"
            "gone: none; 5 unchanged: act on them through look_3 and its refs while look_3 is "
            "among the last 8 looks\n");
  EXPECT_LE(unchanged.size(), 200u);
}

TEST(LookChangesText, AnUnusableEarlierLookGivesTheWholeOutlineAfterTheReason) {
  Json look = look_with(nullptr);
  look.erase("changes");
  look["changesUnavailable"] = {{"message", "Look 'look_3' is of another window, so this is the whole look"},
                                {"reason", "otherWindow"},
                                {"sinceLookId", "look_3"}};
  std::string text = render_look(look);
  EXPECT_EQ(text.substr(0, text.find("Window \"Form\"")),
            "lookId look_9, no image; element lines: role \"title\" ref =\"value\" [flags] x,y wxh\n"
            "Look 'look_3' is of another window, so this is the whole look.\n");
  EXPECT_NE(text.find("button \"OK\" win:look_9:@e22"), std::string::npos);
}

// Through the server: sinceLookId is an argument of the tool, and the
// result with its changes keeps to the output schema (the harness checks).
TEST(LookChangesText, TheLookToolTakesSinceLookId) {
  McpHarness h;
  h.initialize();
  Json first = h.call("look", {{"rootRef", "@w1"}, {"includeImage", false}});
  const std::string since = first["structuredContent"]["lookId"];
  Json again = h.call("look", {{"rootRef", "@w1"}, {"includeImage", false}, {"sinceLookId", since}});
  EXPECT_EQ(again["structuredContent"]["changes"]["sinceLookId"], since);
  EXPECT_EQ(again["content"][0]["text"].get<std::string>().find("no changes since " + since),
            again["content"][0]["text"].get<std::string>().find(';') + 2)
      << again["content"][0]["text"];
}

}  // namespace
}  // namespace winhelper::mcp
