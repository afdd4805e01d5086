#include <gtest/gtest.h>

#include "act/act_batch.h"
#include "act_desk.h"
#include "context/physical_input_lock.h"

namespace winhelper::act_test {
namespace {

Json step(const std::string& action, const Json& target, const std::string& policy = "foreground",
          const Json& params = Json::object()) {
  return Json{{"lookId", "look_1"}, {"action", action}, {"target", target},
              {"policy", policy},   {"params", params}, {"pid", kAppPid}};
}

ActRequest request(const Json& entry) {
  return parse_act_request(entry).value();
}

Json ref(int n) { return Json{{"ref", "win:look_1:@e" + std::to_string(n)}}; }

Json batch(std::vector<Json> steps) { return Json{{"actions", Json(std::move(steps))}}; }

TEST(ActBatch, ValidatesEveryEntryBeforeTheFirstRuns) {
  ActDesk d;
  d.element(1, {110, 210, 150, 230}).invoke = true;
  d.store();
  auto error = [&](const Json& args) { return ActDesk::error_of(d.ask("actBatch", args)); };

  EXPECT_EQ(error(Json::object()), "invalid_request: actBatch requires actions");
  EXPECT_EQ(error(Json{{"actions", Json::object()}}), "invalid_request: actBatch requires actions");
  EXPECT_EQ(error(batch({})), "invalid_request: actBatch requires 1...20 actions");
  EXPECT_EQ(error(batch(std::vector<Json>(21, step("click", ref(1))))),
            "invalid_request: actBatch requires 1...20 actions");

  Json no_look = step("click", ref(1));
  no_look.erase("lookId");
  EXPECT_EQ(error(batch({step("click", ref(1)), no_look})), "invalid_request: act requires lookId");
  Json no_pid = step("click", ref(1));
  no_pid.erase("pid");
  EXPECT_EQ(error(batch({no_pid, step("click", ref(1))})),
            "invalid_request: actBatch actions require pid");
  EXPECT_EQ(error(batch({step("click", ref(1)), no_pid})),
            "invalid_request: actBatch actions must target one pid");
  Json other_pid = step("click", ref(1));
  other_pid["pid"] = 6;
  EXPECT_EQ(error(batch({step("click", ref(1)), other_pid})),
            "invalid_request: actBatch actions must target one pid");
  Json other_look = step("click", ref(1));
  other_look["lookId"] = "look_2";
  // The pid check of an entry comes before its look check.
  other_look["pid"] = 6;
  EXPECT_EQ(error(batch({step("click", ref(1)), other_look})),
            "invalid_request: actBatch actions must target one pid");
  other_look["pid"] = kAppPid;
  EXPECT_EQ(error(batch({step("click", ref(1)), other_look})),
            "invalid_request: actBatch actions must belong to one look");
  Json stale = step("click", ref(1));
  stale["lookId"] = "look_9";
  EXPECT_EQ(error(batch({stale})), "stale_look: Owning look is no longer available");
  EXPECT_TRUE(d.h.uia.calls().empty());

  Json twenty = d.ask("actBatch", batch(std::vector<Json>(20, step("click", ref(1)))));
  ASSERT_EQ(ActDesk::error_of(twenty), "ok");
  EXPECT_EQ(twenty["result"]["performed"]["actionCount"], 20);
  EXPECT_EQ(twenty["result"]["outcome"], "worked");
}

TEST(ActBatch, StopsAtTheStepThatDidNotWork) {
  ActDesk d;
  d.element(1, {110, 210, 150, 230}).invoke = true;
  fakes::FakeElement& item = d.element(2, {110, 240, 150, 260});
  item.selection_item = true;
  // The selection is refused: the item reads back as not selected.
  item.reactions["Select"] = [](fakes::FakeElement& e) { e.selected = false; };
  d.store();
  Json response =
      d.ask("actBatch", batch({step("click", ref(1)), step("click", ref(2)), step("click", ref(1))}));
  ASSERT_EQ(ActDesk::error_of(response), "ok");
  const Json& result = response["result"];
  EXPECT_EQ(result["outcome"], "didnt");
  EXPECT_EQ(result["stoppedAt"], 1);
  EXPECT_EQ(result["performed"], (Json{{"actionCount", 2}, {"deltaSource", "snapshot"},
                                       {"transaction", true}}));
  ASSERT_EQ(result["steps"].size(), 2u);
  EXPECT_EQ(result["steps"][1]["evidence"], (Json{{"selected", false}}));
  // Steps defer their own deltas to the batch.
  EXPECT_FALSE(result["steps"][0]["performed"].contains("deltaSource"));
}

TEST(ActBatch, AFailedStepBecomesAStepResultAndUnknownDoesNotStop) {
  ActDesk d;
  d.element(1, {110, 210, 150, 230}).invoke = true;
  d.element(2, {110, 240, 150, 260}).scroll = true;
  d.store();
  Json failed = d.ask("actBatch", batch({step("click", ref(7)), step("click", ref(1))}));
  ASSERT_EQ(ActDesk::error_of(failed), "ok");
  EXPECT_EQ(failed["result"]["steps"],
            Json::array({Json{{"outcome", "didnt"},
                              {"error", Json{{"code", "stale_ref"},
                                             {"message", "Element reference is stale"}}}}}));
  EXPECT_EQ(failed["result"]["stoppedAt"], 0);
  EXPECT_EQ(failed["result"]["outcome"], "didnt");

  Json mixed = d.ask("actBatch", batch({step("click", ref(1)), step("scroll", ref(2)),
                                        step("click", ref(1))}));
  EXPECT_EQ(mixed["result"]["outcome"], "unknown");
  EXPECT_EQ(mixed["result"]["steps"].size(), 3u);
  EXPECT_FALSE(mixed["result"].contains("stoppedAt"));
}

TEST(ActBatch, FoldsOutcomesDidntBeforeUnknownBeforeWorked) {
  auto s = [](const char* o) { return Json{{"outcome", o}}; };
  EXPECT_EQ(fold_batch_outcome({s("worked"), s("worked")}), "worked");
  EXPECT_EQ(fold_batch_outcome({s("unknown"), s("worked")}), "unknown");
  EXPECT_EQ(fold_batch_outcome({s("unknown"), s("didnt"), s("worked")}), "didnt");
}

TEST(ActBatch, PhysicalLockIsNeededOnlyForInputUnderForeground) {
  Look look;
  ElementRecord pressable;
  pressable.can_press = true;
  pressable.can_set_value = true;
  pressable.can_scroll = true;
  ElementRecord browser = pressable;
  browser.class_descriptor = "Pane Chrome_WidgetWin_1";
  look.elements["p"] = pressable;
  look.elements["b"] = browser;
  look.elements["none"] = ElementRecord{};
  auto needs = [&](const std::string& action, const Json& target,
                   const std::string& policy = "foreground") {
    return batch_needs_physical_lock({request(step(action, target, policy))}, look);
  };
  Json p{{"ref", "p"}}, b{{"ref", "b"}}, none{{"ref", "none"}}, gone{{"ref", "gone"}};

  EXPECT_FALSE(needs("click", p));
  EXPECT_FALSE(needs("setText", p));
  EXPECT_FALSE(needs("scroll", p));
  EXPECT_TRUE(needs("typeText", p));
  EXPECT_TRUE(needs("click", b));
  EXPECT_TRUE(needs("setText", b));
  EXPECT_FALSE(needs("scroll", b));
  EXPECT_TRUE(needs("press", none));
  EXPECT_TRUE(needs("scroll", none));
  EXPECT_TRUE(needs("click", Json{{"x", 1}, {"y", 2}}));
  EXPECT_FALSE(needs("click", gone));
  EXPECT_FALSE(needs("click", Json{{"x", 1}, {"y", 2}}, "default"));
  EXPECT_FALSE(needs("click", b, "ax_only"));
  EXPECT_TRUE(
      batch_needs_physical_lock({request(step("click", p)), request(step("keypress", p))}, look));
}

TEST(ActBatch, HoldsTheInputLockAcrossEveryStepWhenInputMayBeSent) {
  ActDesk d;
  fakes::FakeElement& button = d.element(1, {110, 210, 150, 230});
  button.invoke = true;
  std::vector<bool> held;
  // The pattern call runs on a thread of its own while the step waits for it.
  button.reactions["Invoke"] = [&](fakes::FakeElement&) { held.push_back(d.h.shared.input.held()); };
  d.look.elements.at("win:look_1:@e1").can_press = true;
  d.store();

  ASSERT_EQ(ActDesk::error_of(d.ask("actBatch", batch({step("click", ref(1))}))), "ok");
  Json mixed = d.ask("actBatch", batch({step("click", ref(1)),
                                        step("keypress", Json{{"x", 10}, {"y", 10}}, "foreground",
                                             Json{{"keys", {"Control", "a"}}})}));
  ASSERT_EQ(ActDesk::error_of(mixed), "ok");
  EXPECT_EQ(held, (std::vector<bool>{false, true}));
  EXPECT_EQ(mixed["result"]["outcome"], "unknown");
  EXPECT_EQ(d.input(), "[17v] [65v 65^] [17^]");
  EXPECT_EQ(d.h.windows.foreground(), d.app);
}

TEST(ActBatch, ReportsTheWholeRunsRootDeltaOrWhyItIsMissing) {
  ActDesk d;
  d.store();
  d.open_dialog_after_input();
  Json response = d.ask("actBatch", batch({step("click", Json{{"x", 10}, {"y", 10}}),
                                           step("keypress", Json{{"x", 10}, {"y", 10}}, "foreground",
                                                Json{{"keys", {"Enter"}}})}));
  ASSERT_EQ(ActDesk::error_of(response), "ok");
  const Json& result = response["result"];
  EXPECT_EQ(result["performed"]["deltaSource"], "win-event+snapshot");
  ASSERT_TRUE(result["rootDelta"].is_array());
  EXPECT_EQ(result["rootDelta"][0]["title"], "Confirm");
  EXPECT_EQ(result["steps"].size(), 2u);

  // Once this batch has sent input, listing the windows fails: the steps
  // ran, so the answer is still their result.
  std::size_t sent = d.h.input_sink.calls().size();
  d.h.windows.on_enumerate([&d, sent](int) {
    if (d.h.input_sink.calls().size() > sent) {
      d.h.windows.fail_enumeration("Access is denied. (0x80070005)");
    }
  });
  Json failed = d.ask("actBatch", batch({step("click", Json{{"x", 10}, {"y", 10}})}));
  ASSERT_EQ(ActDesk::error_of(failed), "ok");
  EXPECT_EQ(failed["result"]["steps"].size(), 1u);
  EXPECT_FALSE(failed["result"].contains("rootDelta"));
  EXPECT_EQ(failed["result"]["performed"], (Json{{"actionCount", 1}, {"transaction", true}}));
  EXPECT_NE(failed["result"]["rootDeltaError"].get<std::string>().find("0x80070005"),
            std::string::npos);
}

}  // namespace
}  // namespace winhelper::act_test
