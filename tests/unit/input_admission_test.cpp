#include <gtest/gtest.h>

#include "act/input_admission.h"
#include "act_desk.h"
#include "fakes/fake_windows.h"

namespace winhelper {
namespace {

constexpr std::uint32_t kMedium = 0x2000;
constexpr std::uint32_t kHigh = 0x3000;

const std::string kElevated = std::string("capture_failed: ") + kHigherPrivilegeMessage;
const std::string kSecure = std::string("target_not_found: ") + kSecureDesktopMessage;
const std::string kHung = std::string("target_not_found: ") + kNotRespondingMessage;

std::string verdict(const Status& status) {
  if (status.ok()) return "ok";
  return std::string(error_code_name(status.error().code)) + ": " + status.error().message;
}

class InputAdmission : public ::testing::Test {
 protected:
  InputAdmission() { target = windows.add({.pid = 9}); }

  std::string admit() { return verdict(admit_physical_input(windows, target)); }

  fakes::FakeWindows windows;
  WindowHandle target = 0;
};

TEST_F(InputAdmission, OnlyATargetKnownToRunHigherIsRefusedForItsPrivilege) {
  EXPECT_EQ(admit(), "ok");  // nothing readable
  windows.set_own_privilege({kMedium, false});
  EXPECT_EQ(admit(), "ok");  // the target's level unreadable
  windows.set_integrity(9, kMedium);
  EXPECT_EQ(admit(), "ok");
  windows.set_integrity(9, 0x1000);
  EXPECT_EQ(admit(), "ok");
  windows.set_integrity(9, kHigh);
  EXPECT_EQ(admit(), kElevated);
  // UI access lifts the barrier; an unreadable own level leaves nothing to compare.
  windows.set_own_privilege({kMedium, true});
  EXPECT_EQ(admit(), "ok");
  windows.set_own_privilege({std::nullopt, false});
  EXPECT_EQ(admit(), "ok");
}

TEST_F(InputAdmission, AnyInputDesktopButTheHelpersOwnIsRefused) {
  windows.set_input_desktop({"Winlogon", false, "Default"});
  EXPECT_EQ(admit(), kSecure);
  windows.set_input_desktop({std::nullopt, true, "Default"});
  EXPECT_EQ(admit(), kSecure);
  // Another failure to read it says nothing about where input goes.
  windows.set_input_desktop({std::nullopt, false, "Default"});
  EXPECT_EQ(admit(), "ok");
  windows.set_input_desktop({"DEFAULT", false, ""});
  EXPECT_EQ(admit(), "ok");
  windows.set_input_desktop({"Kiosk", false, "Kiosk"});
  EXPECT_EQ(admit(), "ok");
}

TEST_F(InputAdmission, DesktopThenPrivilegeThenHang) {
  windows.edit(target, [](fakes::FakeWindow& w) { w.hung = true; });
  EXPECT_EQ(admit(), kHung);
  windows.set_own_privilege({kMedium, false});
  windows.set_integrity(9, kHigh);
  EXPECT_EQ(admit(), kElevated);
  windows.set_input_desktop({std::nullopt, true, "Default"});
  EXPECT_EQ(admit(), kSecure);
  EXPECT_EQ(windows.foreground_requests(), 0);
}

// Through the commands: every physical path refuses before the foreground
// step and before any input event.
using act_test::ActDesk;
using act_test::kAppPid;

Json act(const std::string& action, const Json& target, const Json& params = Json::object()) {
  return Json{{"lookId", "look_1"}, {"action", action}, {"target", target},
              {"policy", "foreground"}, {"params", params}, {"pid", kAppPid}};
}

TEST(InputRefusal, PointElementBatchAndBrowserPathsSendNothing) {
  ActDesk d;
  fakes::FakeElement& plain = d.element(1, {110, 210, 150, 231});
  d.hit_at_centre(plain);
  d.store();
  d.h.windows.set_own_privilege({kMedium, false});
  d.h.windows.set_integrity(kAppPid, kHigh);

  const Json point{{"x", 5}, {"y", 5}};
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act("click", point))), kElevated);
  // preserveFocus leaves out only the foreground step.
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act("typeText", point, {{"preserveFocus", true}}))),
            kElevated);

  d.h.windows.set_integrity(kAppPid, kMedium);
  d.h.windows.edit(d.app, [](fakes::FakeWindow& w) { w.hung = true; });
  const Json ref{{"ref", "win:look_1:@e1"}};
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act("click", ref))), kHung);
  Json batch = d.ask("actBatch", Json{{"actions", {act("click", ref), act("click", point)}}});
  ASSERT_EQ(ActDesk::error_of(batch), "ok");
  EXPECT_EQ(batch["result"]["stoppedAt"], 0);
  EXPECT_EQ(batch["result"]["steps"][0]["error"]["message"], kNotRespondingMessage);

  d.h.windows.set_input_desktop({std::nullopt, true, "Default"});
  EXPECT_EQ(ActDesk::error_of(d.ask("openBrowserLocation", {{"url", "x"}})), kSecure);

  EXPECT_EQ(d.input(), "");
  EXPECT_EQ(d.h.windows.foreground_requests(), 0);

  // Once the window answers again, input goes through.
  d.h.windows.set_input_desktop({"Default", false, "Default"});
  d.h.windows.edit(d.app, [](fakes::FakeWindow& w) { w.hung = false; });
  EXPECT_EQ(ActDesk::error_of(d.ask("act", act("click", ref))), "ok");
  EXPECT_NE(d.input(), "");
}

}  // namespace
}  // namespace winhelper
