#include <gtest/gtest.h>

#include "act/act_routes.h"
#include "act_desk.h"
#include "context/physical_input_lock.h"

namespace winhelper::act_test {
namespace {

const char* kBlocked = "Background policy blocks global Windows coordinate/raw input grounding";

Json act_args(const std::string& action, const Json& target, const std::string& policy,
              const Json& params = Json::object()) {
  return Json{{"lookId", "look_1"}, {"action", action}, {"target", target},
              {"policy", policy},   {"params", params}};
}

Json ref(int n) { return Json{{"ref", "win:look_1:@e" + std::to_string(n)}}; }

TEST(Act, RequestLookAndPidAreCheckedBeforeAnythingHappens) {
  ActDesk d;
  EXPECT_EQ(ActDesk::error_of(d.ask("act", Json{{"action", "click"}})),
            "invalid_request: act requires lookId");
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", Json{{"x", 1}}, "foreground"))),
            "invalid_request: act target must include ref or x/y");
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", ref(1), "foreground"))),
            "stale_look: Look id 'look_1' is no longer available");

  d.look.pid = 0;
  d.store();
  // No pid anywhere fails even for an action that would be semantic, and
  // even when root deltas are deferred.
  Json args = act_args("click", ref(1), "foreground");
  args["deferRootDelta"] = true;
  EXPECT_EQ(ActDesk::error_of(d.ask("act", args)),
            "invalid_request: act requires pid or observed root pid for root deltas");
  args["pid"] = kAppPid;
  EXPECT_EQ(ActDesk::error_of(d.ask("act", args)), "stale_ref: Element reference is stale");
  EXPECT_EQ(d.input(), "");
  EXPECT_EQ(d.h.windows.foreground_requests(), 0);
}

TEST(Act, PointClickUnderForegroundFocusesClicksAndReportsTheDialog) {
  ActDesk d;
  d.store();
  d.open_dialog_after_input();
  // (50, 75) of a 200×150 image over a 400×300 frame at (100, 200).
  Json response = d.ask("act", act_args("click", Json{{"x", 50}, {"y", 75.5}}, "foreground"));
  ASSERT_EQ(ActDesk::error_of(response), "ok");
  EXPECT_EQ(d.h.windows.foreground(), d.app);
  EXPECT_EQ(d.input(), "pos(200,351) [m0002 m0004]");

  const Json& result = response["result"];
  EXPECT_EQ(result["outcome"], "unknown");
  EXPECT_EQ(result["performed"], (Json{{"delivery", "hid"}, {"grounding", "coordinates"},
                                       {"deltaSource", "win-event+snapshot"}}));
  ASSERT_TRUE(result["rootDelta"].is_array());
  ASSERT_GE(result["rootDelta"].size(), 1u);
  EXPECT_EQ(result["rootDelta"][0]["change"], "appeared");
  EXPECT_EQ(result["rootDelta"][0]["title"], "Confirm");
  EXPECT_FALSE(result.contains("rootDeltaError"));
}

TEST(Act, PointRouteOrderOfImageForegroundAndPolicyChecks) {
  ActDesk d;
  d.look.has_image = false;
  d.store();
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", Json{{"x", 1}, {"y", 1}}, "foreground"))),
            "coordinate_unavailable_for_root: "
            "Coordinate targeting is unavailable for this outline-only root");
  EXPECT_EQ(d.h.windows.foreground_requests(), 0);

  d.look.has_image = true;
  d.store();
  // The foreground step runs before the policy refuses the input.
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("keypress", Json{{"x", 1}, {"y", 1}}, "default",
                                                    Json{{"keys", {"Enter"}}}))),
            std::string("foreground_required: ") + kBlocked);
  EXPECT_EQ(d.h.windows.foreground(), d.app);
  EXPECT_EQ(d.h.windows.foreground_requests(), 1);

  d.h.windows.set_foreground_window(d.other);
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("moveMouse", Json{{"x", 1}, {"y", 1}}, "ax_only",
                                                    Json{{"preserveFocus", true}}))),
            std::string("coordinate_blocked: ") + kBlocked);
  EXPECT_EQ(d.h.windows.foreground(), d.other);

  d.h.windows.refuse_foreground(true);
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", Json{{"x", 1}, {"y", 1}}, "foreground"))),
            "target_not_found: Windows refused to foreground the target; physical input was not sent");
  EXPECT_EQ(d.input(), "");
}

TEST(Act, DragMapsItsPathAndDeferredDeltaLeavesNoDeltaMembers) {
  ActDesk d;
  d.store();
  Json args = act_args("drag", Json{{"x", 0}, {"y", 0}}, "foreground",
                       Json{{"path", Json::array({Json{{"x", 0}, {"y", 0}}, "bad",
                                                  Json{{"x", 400}, {"y", 150}}})}});
  args["deferRootDelta"] = true;
  Json response = d.ask("act", args);
  ASSERT_EQ(ActDesk::error_of(response), "ok");
  EXPECT_EQ(d.input(), "pos(100,200) [m0002] pos(500,500) [m0004]");
  EXPECT_EQ(response["result"]["performed"],
            (Json{{"delivery", "hid"}, {"grounding", "coordinates"}}));
  EXPECT_FALSE(response["result"].contains("rootDelta"));
}

// Screen points come only from the look: members the host adds beside the
// target are no screen coordinates.
TEST(Act, HostSuppliedScreenPointsAreIgnored) {
  ActDesk d;
  fakes::FakeElement& pane = d.element(1, {110, 210, 150, 230});
  d.hit_at_centre(pane);
  d.store();
  Json path = Json::array({Json{{"x", 5}, {"y", 5}}, Json{{"x", 9000}, {"y", 9000}}});
  for (const Json& target : {Json{{"x", 0}, {"y", 0}}, ref(1)}) {
    Json args = act_args("drag", target, "foreground");
    args["resolvedPath"] = path;
    args["resolvedPoint"] = Json{{"x", 9000}, {"y", 9000}};
    EXPECT_EQ(ActDesk::error_of(d.ask("act", args)), "invalid_request: drag requires resolvedPath")
        << target;
  }
  EXPECT_EQ(d.input(), "");
}

TEST(Act, SemanticPressReportsThePatternThatWasUsed) {
  ActDesk d;
  d.element(1, {110, 210, 150, 230}).invoke = true;
  fakes::FakeElement& check = d.element(2, {110, 240, 150, 260});
  check.toggle = true;
  check.reactions["Toggle"] = [](fakes::FakeElement& e) { e.toggle_state = 1; };
  fakes::FakeElement& item = d.element(3, {110, 270, 150, 290});
  item.selection_item = true;
  item.reactions["Select"] = [](fakes::FakeElement& e) { e.selected = false; };
  d.store();

  Json invoked = d.ask("act", act_args("click", ref(1), "default"));
  ASSERT_EQ(ActDesk::error_of(invoked), "ok");
  EXPECT_EQ(invoked["result"]["outcome"], "worked");
  EXPECT_EQ(invoked["result"]["performed"],
            (Json{{"delivery", "ax"}, {"grounding", "description"}, {"deltaSource", "snapshot"}}));
  EXPECT_FALSE(invoked["result"].contains("evidence"));

  Json toggled = d.ask("act", act_args("press", ref(2), "default"));
  EXPECT_EQ(toggled["result"]["evidence"], (Json{{"toggleState", true}}));

  Json selected = d.ask("act", act_args("click", ref(3), "default"));
  EXPECT_EQ(selected["result"]["outcome"], "didnt");
  EXPECT_EQ(selected["result"]["evidence"], (Json{{"selected", false}}));
  EXPECT_EQ(d.input(), "");
  EXPECT_EQ(d.h.windows.foreground_requests(), 0);
}

TEST(Act, ElementWithoutPatternGoesPhysicalOnlyUnderForeground) {
  ActDesk d;
  fakes::FakeElement& plain = d.element(1, {110, 210, 150, 231});
  d.hit_at_centre(plain);
  d.store();

  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", ref(1), "default"))),
            std::string("foreground_required: ") + kBlocked);
  EXPECT_EQ(d.h.windows.foreground_requests(), 0);

  Json clicked = d.ask("act", act_args("click", ref(1), "foreground", Json{{"button", "right"}}));
  ASSERT_EQ(ActDesk::error_of(clicked), "ok");
  EXPECT_EQ(d.h.windows.foreground(), d.app);
  // Centre (130, 220.5) of the live bounds; rounding is the input layer's.
  EXPECT_EQ(d.input(), "pos(130,221) [m0008 m0010]");
  EXPECT_EQ(clicked["result"]["performed"]["grounding"], "coordinates");
  EXPECT_FALSE(clicked["result"].contains("evidence"));
}

TEST(Act, BrowserLikeElementsGetRealInputUnlessAxOnly) {
  ActDesk d;
  fakes::FakeElement& link = d.element(1, {110, 210, 150, 230}, "Chrome_RenderWidgetHostHWND");
  link.invoke = true;
  d.hit_at_centre(link);
  d.store();

  Json physical = d.ask("act", act_args("click", ref(1), "foreground"));
  ASSERT_EQ(ActDesk::error_of(physical), "ok");
  EXPECT_EQ(physical["result"]["performed"]["delivery"], "hid");
  EXPECT_EQ(d.input(), "pos(130,220) [m0002 m0004]");

  Json semantic = d.ask("act", act_args("click", ref(1), "ax_only"));
  EXPECT_EQ(semantic["result"]["performed"]["delivery"], "ax");
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", ref(1), "default"))),
            std::string("foreground_required: ") + kBlocked);
  EXPECT_TRUE(is_browser_like("x ELECTRON_shell"));
  EXPECT_TRUE(is_browser_like("Pane WebView2Host"));
  EXPECT_FALSE(is_browser_like("Button Chrom"));
}

TEST(Act, SetTextReadsBackAndFallsBackToTyping) {
  ActDesk d;
  d.element(1, {110, 210, 150, 230}).value_pattern = true;
  fakes::FakeElement& stubborn = d.element(2, {110, 240, 150, 260});
  stubborn.value_pattern = true;
  stubborn.value_write_takes_effect = false;
  stubborn.value = "old";
  fakes::FakeElement& plain = d.element(3, {110, 270, 150, 290});
  d.hit_at_centre(plain);
  fakes::FakeElement& secret = d.element(4, {110, 300, 150, 320});
  secret.value_pattern = true;
  secret.password = true;
  d.store();

  // A password field cannot be read back: unknown under every policy, never
  // "did not take effect".
  for (const char* policy : {"default", "foreground"}) {
    Json unverified = d.ask("act", act_args("setText", ref(4), policy, Json{{"text", "pw"}}));
    EXPECT_EQ(unverified["result"]["outcome"], "unknown") << unverified;
    EXPECT_TRUE(unverified["result"]["evidence"].contains("unverified")) << unverified;
  }
  EXPECT_EQ(d.h.uia.password_value_reads(), 0);

  Json wrote = d.ask("act", act_args("setText", ref(1), "default", Json{{"text", "héllo"}}));
  EXPECT_EQ(wrote["result"]["outcome"], "worked");
  EXPECT_EQ(wrote["result"]["evidence"], (Json{{"value", "héllo"}}));

  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("setText", ref(2), "default",
                                                    Json{{"text", "new"}}))),
            "foreground_required: The background UIA value write was accepted but did not take effect");
  Json didnt = d.ask("act", act_args("setText", ref(2), "foreground", Json{{"text", "new"}}));
  EXPECT_EQ(didnt["result"]["outcome"], "didnt");
  EXPECT_EQ(didnt["result"]["evidence"], (Json{{"value", "old"}}));
  EXPECT_EQ(d.input(), "");

  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("setText", ref(3), "ax_only",
                                                    Json{{"text", "x"}}))),
            std::string("coordinate_blocked: ") + kBlocked);
  Json typed = d.ask("act", act_args("setText", ref(3), "foreground", Json{{"text", "ab"}}));
  ASSERT_EQ(ActDesk::error_of(typed), "ok");
  EXPECT_EQ(typed["result"]["evidence"], (Json{{"value", "ab"}}));
  EXPECT_EQ(d.input(), "pos(130,280) [m0002 m0004] [17v] [65v 65^] [17^] [u0061v u0061^ u0062v u0062^]");
  auto calls = d.h.uia.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetFocus:e3"), calls.end()) << calls.size();
}

TEST(Act, TypingAtAnElementChecksItButDoesNotClickIt) {
  ActDesk d;
  fakes::FakeElement& edit = d.element(1, {110, 210, 150, 230}, "Edit");
  edit.value_pattern = true;
  d.hit_at_centre(edit);
  d.store();
  Json typed = d.ask("act", act_args("typeText", ref(1), "foreground", Json{{"text", "q"}}));
  ASSERT_EQ(ActDesk::error_of(typed), "ok");
  EXPECT_EQ(d.h.windows.foreground(), d.app);
  EXPECT_EQ(d.h.uia.last_point(), (std::pair<int, int>{130, 220}));
  EXPECT_EQ(d.input(), "[u0071v u0071^]");
}

TEST(Act, OcclusionCheckRetriesThenRefusesOrProceedsUnverified) {
  ActDesk d;
  fakes::FakeElement& button = d.element(1, {110, 210, 150, 230});
  fakes::FakeElement& cover = d.h.uia.add_window(999, "cover");
  d.hit_at_centre(button, &cover);
  d.store();

  std::int64_t start = d.h.clock.now_ms();
  Json args = act_args("click", ref(1), "foreground");
  args["deferRootDelta"] = true;
  EXPECT_EQ(ActDesk::error_of(d.ask("act", args)), "occluded_target: Target is occluded");
  // One foreground attempt (20 ms) and two pauses between the three tries.
  EXPECT_EQ(d.h.clock.now_ms() - start, 20 + 2 * 20);
  EXPECT_EQ(d.input(), "");

  d.h.uia.element_from_point_failure = "Catastrophic failure (0x8000FFFF)";
  Json unverified = d.ask("act", args);
  ASSERT_EQ(ActDesk::error_of(unverified), "ok");
  EXPECT_EQ(unverified["result"]["outcome"], "unknown");
  EXPECT_EQ(unverified["result"]["evidence"], (Json{{"preflight", "unknown"}}));
  EXPECT_EQ(d.input(), "pos(130,220) [m0002 m0004]");
}

TEST(Act, ScrollIsSemanticWithUnknownOutcome) {
  ActDesk d;
  d.element(1, {110, 210, 150, 230}).scroll = true;
  d.store();
  Json scrolled = d.ask("act", act_args("scroll", ref(1), "default", Json{{"scrollY", 3}}));
  EXPECT_EQ(scrolled["result"]["outcome"], "unknown");
  EXPECT_EQ(scrolled["result"]["performed"]["delivery"], "ax");
}

TEST(Act, PerformedActionWhoseRootDeltaFailsIsStillReportedAsPerformed) {
  ActDesk d;
  d.store();
  d.h.windows.on_enumerate([&](int) {
    if (!d.h.input_sink.calls().empty()) d.h.windows.fail_enumeration("Access is denied. (0x80070005)");
  });
  Json response = d.ask("act", act_args("click", Json{{"x", 1}, {"y", 1}}, "foreground"));
  ASSERT_EQ(ActDesk::error_of(response), "ok");
  const Json& result = response["result"];
  EXPECT_EQ(result["outcome"], "unknown");
  EXPECT_EQ(result["performed"], (Json{{"delivery", "hid"}, {"grounding", "coordinates"}}));
  EXPECT_FALSE(result.contains("rootDelta"));
  ASSERT_TRUE(result["rootDeltaError"].is_string());
  EXPECT_NE(result["rootDeltaError"].get<std::string>().find("0x80070005"), std::string::npos);

  // A baseline that cannot be taken stops the action before it runs.
  std::size_t calls = d.h.input_sink.calls().size();
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act_args("click", Json{{"x", 1}, {"y", 1}}, "foreground")))
                .substr(0, 15),
            "internal_error:");
  EXPECT_EQ(d.h.input_sink.calls().size(), calls);
}

}  // namespace
}  // namespace winhelper::act_test
