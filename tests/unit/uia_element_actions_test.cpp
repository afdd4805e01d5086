#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "fakes/fake_uia.h"
#include "fakes/sleep_gate.h"
#include "uia/element_actions.h"

namespace winhelper::uia {
namespace {

using fakes::FakeElement;
using fakes::FakeUia;
using Kind = PressResult::Kind;

class ElementActionsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(uia.sessions_open(), 0);
    EXPECT_EQ(uia.objects_alive_at_close(), 0);
  }

  ElementLocator locator() const { return {100, *target.runtime_id, {}}; }

  // Action calls only, in order.
  std::vector<std::string> actions() const {
    std::vector<std::string> out;
    for (const std::string& call : uia.calls()) {
      if (call.rfind("GetElement", 0) != 0 && call != "FindAll" && call != "FindFirst") {
        out.push_back(call);
      }
    }
    return out;
  }

  FakeUia uia;
  FakeElement& root = uia.add_window(100, "root");
  FakeElement& target = uia.add_child(root, "t");
};

TEST_F(ElementActionsTest, PressUsesTheFirstPatternPresent) {
  // Invoke beats everything else, expansion is never attempted.
  target.invoke = true;
  target.expand_collapse = true;
  target.toggle = true;
  auto pressed = press_element(uia, locator());
  ASSERT_TRUE(pressed);
  EXPECT_EQ(pressed->kind, Kind::Invoked);
  EXPECT_EQ(actions(), (std::vector<std::string>{"Invoke:t"}));
}

TEST_F(ElementActionsTest, ToggleReportsTheStateReadAfterwards) {
  target.toggle = true;
  target.legacy = true;
  target.default_action = "Check";
  target.toggle_state = 0;
  auto pressed = press_element(uia, locator());
  ASSERT_TRUE(pressed);
  EXPECT_EQ(pressed->kind, Kind::Toggled);
  EXPECT_TRUE(pressed->state);
  EXPECT_EQ(actions(), (std::vector<std::string>{"Toggle:t"}));

  // Indeterminate counts as on; an unreadable state as off.
  target.reactions["Toggle"] = [](FakeElement& e) { e.toggle_state = 2; };
  EXPECT_TRUE(press_element(uia, locator())->state);
  target.reactions["Toggle"] = [](FakeElement& e) { e.toggle_state = std::nullopt; };
  EXPECT_FALSE(press_element(uia, locator())->state);
}

TEST_F(ElementActionsTest, SelectionBeatsExpansionAndReportsSelection) {
  target.selection_item = true;
  target.expand_collapse = true;
  target.reactions["Select"] = [](FakeElement& e) { e.selected = true; };
  auto pressed = press_element(uia, locator());
  ASSERT_TRUE(pressed);
  EXPECT_EQ(pressed->kind, Kind::Selected);
  EXPECT_TRUE(pressed->state);
  EXPECT_EQ(actions(), (std::vector<std::string>{"Select:t"}));
}

TEST_F(ElementActionsTest, ExpandThenDefaultActionThenNothing) {
  target.expand_collapse = true;
  EXPECT_EQ(press_element(uia, locator())->kind, Kind::Expanded);
  target.expand_collapse = false;
  target.legacy = true;
  target.default_action = "  Open\t";
  EXPECT_EQ(press_element(uia, locator())->kind, Kind::DefaultAction);
  target.default_action = " \t ";
  EXPECT_EQ(press_element(uia, locator())->kind, Kind::NoSupportedPattern);
  target.default_action = std::nullopt;
  EXPECT_EQ(press_element(uia, locator())->kind, Kind::NoSupportedPattern);
  target.legacy = false;
  EXPECT_EQ(press_element(uia, locator())->kind, Kind::NoSupportedPattern);
  EXPECT_EQ(actions(), (std::vector<std::string>{"Expand:t", "DoDefaultAction:t"}));
}

TEST_F(ElementActionsTest, FailuresNameTheirStep) {
  const std::pair<const char*, bool FakeElement::*> patterns[] = {
      {"Invoke", &FakeElement::invoke},
      {"Toggle", &FakeElement::toggle},
      {"Select", &FakeElement::selection_item},
      {"Expand", &FakeElement::expand_collapse},
      {"DoDefaultAction", &FakeElement::legacy},
  };
  target.default_action = "Go";
  for (const auto& [step, flag] : patterns) {
    target.*flag = true;
    target.failures[step] = "Access is denied. (0x80070005)";
    auto pressed = press_element(uia, locator());
    ASSERT_FALSE(pressed) << step;
    EXPECT_EQ(pressed.error().message, std::string(step) + ": Access is denied. (0x80070005)");
    target.*flag = false;
  }
  target.failures["SetFocus"] = "no (0x80004005)";
  EXPECT_EQ(focus_element(uia, locator()).error().message, "SetFocus: no (0x80004005)");
  target.failures.erase("SetFocus");
  EXPECT_TRUE(focus_element(uia, locator()));
}

TEST_F(ElementActionsTest, ResolutionFailurePassesThrough) {
  target.invoke = true;
  ElementLocator gone{100, {1, 2}, "missing"};
  EXPECT_EQ(press_element(uia, gone).error().message, "Element reference is stale");
  EXPECT_EQ(scroll_element(uia, gone, 1, 1).error().message, "Element reference is stale");
  EXPECT_EQ(set_element_value(uia, gone, "x").error().message, "Element reference is stale");
  EXPECT_EQ(focus_element(uia, gone).error().message, "Element reference is stale");
  EXPECT_TRUE(actions().empty());
}

TEST_F(ElementActionsTest, ScrollAmountsFollowTheDeltasSigns) {
  EXPECT_EQ(scroll_amount(120), ScrollAmount::SmallIncrement);
  EXPECT_EQ(scroll_amount(0.001), ScrollAmount::SmallIncrement);
  EXPECT_EQ(scroll_amount(-120), ScrollAmount::SmallDecrement);
  EXPECT_EQ(scroll_amount(0), ScrollAmount::NoAmount);
  EXPECT_EQ(scroll_amount(-0.0), ScrollAmount::NoAmount);
  EXPECT_EQ(scroll_amount(std::nan("")), ScrollAmount::NoAmount);

  EXPECT_EQ(scroll_element(uia, locator(), 0, -120).value(), ScrollResult::NoScrollPattern);
  target.scroll = true;
  EXPECT_EQ(scroll_element(uia, locator(), 0, -120).value(), ScrollResult::Scrolled);
  EXPECT_EQ(scroll_element(uia, locator(), std::nan(""), 3).value(), ScrollResult::Scrolled);
  auto calls = uia.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Scroll amounts:2,1"), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "Scroll amounts:2,4"), calls.end());
  target.failures["Scroll"] = "x (0x80004005)";
  EXPECT_EQ(scroll_element(uia, locator(), 1, 0).error().message, "Scroll: x (0x80004005)");
}

TEST_F(ElementActionsTest, SetValueReturnsWhatTheElementReadsBack) {
  auto read_back = [](std::optional<std::string> value) {
    return std::optional<ValueWrite>(ValueWrite{std::move(value)});
  };
  EXPECT_FALSE(set_element_value(uia, locator(), "x").value().has_value());
  target.value_pattern = true;
  target.value = "old";
  EXPECT_EQ(set_element_value(uia, locator(), "new").value(), read_back("new"));
  target.value_write_takes_effect = false;
  EXPECT_EQ(set_element_value(uia, locator(), "newer").value(), read_back("new"));
  target.value_write_takes_effect = true;
  target.reactions["SetValue"] = [](FakeElement& e) { e.value = std::nullopt; };
  EXPECT_EQ(set_element_value(uia, locator(), "z").value(), read_back(""));
  // A password field (or one that cannot tell) is written but never read.
  for (std::optional<bool> password : {std::optional<bool>(true), std::optional<bool>()}) {
    target.password = password;
    EXPECT_EQ(set_element_value(uia, locator(), "secret").value(), read_back(std::nullopt));
  }
  EXPECT_EQ(uia.password_value_reads(), 0);
  target.password = false;
  target.failures["SetValue"] = "read-only (0x80131509)";
  EXPECT_EQ(set_element_value(uia, locator(), "z").error().message,
            "SetValue: read-only (0x80131509)");
}

// A pattern call that has not returned within the grace period leaves the
// caller with Pending (the outer optional empty for a value write); once it
// returns, its thread closes its session. Calls that return in time, and
// failures before the call, answer as without the grace period.
TEST_F(ElementActionsTest, PatternCallsThatDoNotReturnInTimeArePending) {
  const GracePeriods quick{std::chrono::seconds(10), std::chrono::milliseconds(50)};
  target.invoke = true;
  target.value_pattern = true;
  fakes::SleepGate gate;
  target.reactions["Invoke"] = [&gate](FakeElement&) { gate.hold(); };
  target.reactions["SetValue"] = [&gate](FakeElement&) { gate.hold(); };

  EXPECT_EQ(press_element_within(uia, locator(), quick)->kind, Kind::Pending);
  auto written = set_element_value_within(uia, locator(), "x", quick);
  ASSERT_TRUE(written);
  EXPECT_FALSE(written->has_value());
  EXPECT_TRUE(gate.wait_sleeping(2));
  gate.release();
  for (int i = 0; i < 1000 && uia.sessions_open() != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  EXPECT_EQ(press_element_within(uia, locator(), quick)->kind, Kind::Invoked);
  EXPECT_EQ(set_element_value_within(uia, locator(), "y", quick).value(),
            std::optional<std::optional<ValueWrite>>(ValueWrite{"y"}));
  ElementLocator gone{100, {9, 9}, {}};
  EXPECT_EQ(press_element_within(uia, gone, quick).error().message,
            "Element reference is stale");
}

}  // namespace
}  // namespace winhelper::uia
