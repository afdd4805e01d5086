#include <gtest/gtest.h>

#include "context/desktop_presence.h"
#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::ServiceHarness;

class FixedProbe final : public DesktopProbe {
 public:
  DesktopFacts read() override { return facts; }
  DesktopFacts facts;
};

TEST(DesktopPresence, DecidedFromSessionAndWindowStation) {
  struct Case {
    DesktopFacts facts;
    std::optional<DesktopAbsence> absence;
  };
  const Case cases[] = {
      {{1, true, true}, std::nullopt},
      // Locked, or a secure desktop up: it passes, so commands still run.
      {{1, true, false}, std::nullopt},
      {{0, true, true}, DesktopAbsence::ServiceSession},
      {{0, false, false}, DesktopAbsence::ServiceSession},
      {{2, false, true}, DesktopAbsence::HiddenWindowStation},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.facts.session_id << c.facts.station_interactive
                                    << c.facts.input_desktop_opens);
    EXPECT_EQ(desktop_absence(c.facts), c.absence);
    FixedProbe probe;
    probe.facts = c.facts;
    auto warning = desktop_presence_warning(&probe);
    EXPECT_EQ(warning.has_value(), c.absence.has_value() || !c.facts.input_desktop_opens);
  }
  EXPECT_EQ(desktop_presence_warning(nullptr), std::nullopt);
}

TEST(DesktopPresence, WithoutItCommandsFailAtOnceAndDiagnosticsSaysWhy) {
  FixedProbe probe;
  probe.facts = {0, false, false};
  ServiceHarness h;
  h.platform.desktop = &probe;
  const std::string refused =
      "unsupported_platform: No interactive desktop: the helper runs in session 0, where "
      "services run and no user's windows are, so it sees no windows and its input goes "
      "nowhere. Start the helper in the user's logged-on session, for instance from a "
      "scheduled task set to run only when the user is logged on.";
  for (const char* cmd : {"listWindows", "look", "act", "uiaWaitFor", "launchApp", "clipboardRead"}) {
    EXPECT_EQ(fakes::error_of(fakes::ask(h, cmd)), refused) << cmd;
  }
  EXPECT_TRUE(h.input_sink.events().empty());

  Json diagnostics = fakes::ask(h, "diagnostics")["result"]["desktop"];
  EXPECT_EQ(diagnostics["interactive"], false);
  EXPECT_EQ(diagnostics["sessionId"], 0);
  EXPECT_EQ(diagnostics["warning"], refused.substr(std::string("unsupported_platform: ").size()));

  probe.facts = {3, false, true};
  EXPECT_NE(fakes::error_of(fakes::ask(h, "listWindows")).find("window station is not interactive"),
            std::string::npos);
  probe.facts = {3, true, false};
  EXPECT_EQ(fakes::error_of(fakes::ask(h, "listWindows")), "ok");
}

}  // namespace
}  // namespace winhelper
