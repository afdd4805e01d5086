#include <gtest/gtest.h>

#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::ServiceHarness;

const std::string kBatchRefusal =
    "invalid_request: launchApp cannot pass an array of args to a batch file: the command "
    "interpreter reads them again as a command line, so quoting cannot keep them apart; give the "
    "whole line as command";

// CreateProcessW given no program tries "C:\Program" before "C:\Program Files\...".
TEST(LaunchApp, AnUnquotedProgramPathRunsOnlyWhenOneReadingNamesAProgram) {
  ServiceHarness h;
  const std::string app = R"(C:\Program Files\App\app.exe)";
  h.processes.add_program(app);
  auto launch = [&](const std::string& line) {
    std::string seen = error_of(ask(h, "launchApp", Json{{"command", line}, {"waitMs", 0}}));
    return seen == "ok" ? h.processes.starts().back() : seen;
  };
  EXPECT_EQ(launch(app + " --x"), "command " + app + " <- " + app + " --x | ");
  h.processes.add_program(R"(C:\Program)");  // planted where the shorter reading points
  EXPECT_EQ(launch(app + " --x"),
            "invalid_request: Cannot launch '" + app +
                " --x': the program's path has blanks and no quotes, and more than one reading "
                "of it names a program; quote the program");
  EXPECT_EQ(launch("\"" + app + "\" --x"), "command " + app + " <- \"" + app + "\" --x | ");
  EXPECT_EQ(launch(R"(C:\Nowhere\x.exe)"),
            R"(target_not_found: Cannot launch 'C:\Nowhere\x.exe': no such file or program)");
}

constexpr const char* kNotAProgram =
    "invalid_request: launchApp webAccessibility applies to a program (an .exe, a command line "
    "or a packaged app), not to a document, folder or URL";

TEST(LaunchApp, ArgumentsAreCheckedAndRouted) {
  struct Case {
    const char* args;
    std::string expected;  // the error, or the start the launcher saw
  };
  const Case cases[] = {
      {R"({})", "invalid_request: launchApp requires path or command"},
      {R"({"path":""})", "invalid_request: launchApp requires path or command"},
      {R"({"path":"a","command":"b"})", "invalid_request: launchApp takes path or command, not both"},
      {R"({"path":"a","args":5})",
       "invalid_request: launchApp args must be a string or an array of strings"},
      {R"({"path":"a","args":["x",1]})",
       "invalid_request: launchApp args must be a string or an array of strings"},
      {R"({"path":"a\u0000b"})", "invalid_request: launchApp arguments must not contain NUL characters"},
      {R"({"path":"shell:AppsFolder\\"})",
       "invalid_request: launchApp needs an AppUserModelID after shell:AppsFolder\\"},
      {R"({"path":"notepad.exe","args":["a b","c"],"cwd":"C:\\t","waitMs":0})",
       "shell notepad.exe | \"a b\" c | C:\\t"},
      {R"({"path":"SHELL:AppsFolder\\Calc_8wekyb3d8bbwe!App","args":"-x","waitMs":0})",
       "package Calc_8wekyb3d8bbwe!App | -x"},
      {R"({"command":"regedit.exe /m","args":"two","cwd":"D:\\","waitMs":0})",
       "command regedit.exe <- regedit.exe /m two | D:\\"},
      // A batch file reads its arguments again as a command line: "a&calc" would run calc.
      {R"({"path":"C:\\My Tools\\Run.BAT. ","args":["a&calc"]})", kBatchRefusal},
      {R"({"command":"\"C:\\My Tools\\run.cmd\" -x","args":["a&calc"]})", kBatchRefusal},
      {R"({"command":"run.cmd","args":"a&calc","waitMs":0})", "command run.cmd <- run.cmd a&calc | "},
      // Chromium's switch goes to the program, after what the caller gave.
      {R"({"path":"C:\\Apps\\msedge","args":"https://x","webAccessibility":true,"waitMs":0})",
       "shell C:\\Apps\\msedge | https://x --force-renderer-accessibility | "},
      {R"({"command":"Code.exe -n","webAccessibility":true,"waitMs":0})",
       "command Code.exe <- Code.exe -n --force-renderer-accessibility | "},
      {R"({"path":"shell:AppsFolder\\App!A","webAccessibility":true,"waitMs":0})",
       "package App!A | --force-renderer-accessibility"},
      {R"({"path":"https://example.com","webAccessibility":true})", kNotAProgram},
      {R"({"path":"C:\\notes.txt","webAccessibility":true})", kNotAProgram},
  };
  for (const Case& c : cases) {
    ServiceHarness h;
    Json response = ask(h, "launchApp", c.args);
    std::string seen = error_of(response);
    if (seen == "ok") seen = h.processes.starts().at(0);
    EXPECT_EQ(seen, c.expected) << c.args;
  }
}

TEST(LaunchApp, WaitIsClampedAndATimeoutIsAResult) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {R"({"path":"a"})", 10000},
      {R"({"path":"a","waitMs":"soon"})", 10000},
      {R"({"path":"a","waitMs":-5})", 0},
      {R"({"path":"a","waitMs":2500.7})", 2500},
      {R"({"path":"a","waitMs":1e12})", 60000},
  };
  for (const auto& [args, waited] : cases) {
    ServiceHarness h;
    const std::int64_t start = h.clock.now_ms();
    Json response = ask(h, "launchApp", args);
    EXPECT_EQ(response["result"], Json::parse(R"({"pid":500,"timedOut":true,"window":null})"))
        << args;
    EXPECT_EQ(h.clock.now_ms() - start, waited) << args;
  }
}

TEST(LaunchApp, FollowsTheProcessTreeToTheFirstWindowAndNumbersIt) {
  ServiceHarness h;
  h.windows.add({.title = "Elsewhere", .pid = 77});
  h.windows.on_enumerate([&](int count) {
    // A process whose parent id matches but that predates the launch is an
    // unrelated one whose parent's id was reused.
    if (count == 2) {
      h.processes.add_process({600, 500, 900});
      h.windows.add({.title = "Stranger", .pid = 600});
    }
    if (count == 6) {
      h.processes.add_process({501, 500, 1001});
      h.processes.add_process({502, 501, 1002});
      h.windows.add({.title = "Grandchild", .pid = 502});
    }
  });
  Json response = ask(h, "launchApp", R"({"path":"launcher.exe"})");
  ASSERT_EQ(error_of(response), "ok");
  const Json& result = response["result"];
  EXPECT_EQ(result["pid"], 500);
  EXPECT_EQ(result["timedOut"], false);
  EXPECT_EQ(result["window"]["title"], "Grandchild");
  EXPECT_EQ(result["window"]["pid"], 502);
  // The ref is the shared one: other commands take it.
  EXPECT_EQ(result["window"]["rootRef"], "@w1");
  EXPECT_EQ(error_of(ask(h, "focusWindow", R"({"rootRef":"@w1"})")), "ok");
}

TEST(LaunchApp, WithoutAProcessTheFirstNewWindowCounts) {
  ServiceHarness h;
  h.processes.answer_next(StartedProcess{});
  h.windows.add({.title = "Old", .pid = 10});
  h.windows.on_enumerate([&](int count) {
    if (count == 3) h.windows.add({.title = "Document", .pid = 10});
  });
  Json result = ask(h, "launchApp", R"({"path":"C:\\notes.txt"})")["result"];
  EXPECT_EQ(result["pid"], nullptr);
  EXPECT_EQ(result["window"]["title"], "Document");
}

TEST(LaunchApp, FailuresSayWhatHappened) {
  const std::pair<LaunchFailure, std::string> cases[] = {
      {LaunchFailure::NotFound, "target_not_found: Cannot launch 'x.exe': no such file or program"},
      {LaunchFailure::AccessDenied, "capture_failed: Cannot launch 'x.exe': access is denied"},
      {LaunchFailure::ElevationRequired,
       "capture_failed: Cannot launch 'x.exe': it requires elevation, and an elevated process "
       "would be beyond the helper's reach; nothing was started"},
      {LaunchFailure::ElevationDeclined,
       "capture_failed: Cannot launch 'x.exe': the elevation prompt was declined; nothing was "
       "started"},
      {LaunchFailure::Other, "internal_error: Cannot launch 'x.exe': Bad format (0x800700C1)"},
  };
  for (const auto& [kind, message] : cases) {
    ServiceHarness h;
    h.processes.answer_next(LaunchError{kind, "Bad format (0x800700C1)"});
    EXPECT_EQ(error_of(ask(h, "launchApp", R"({"path":"x.exe"})")), message);
  }

  ServiceHarness h;
  h.windows.set_own_privilege({0x2000, false});
  h.windows.set_integrity(500, 0x3000);
  EXPECT_EQ(error_of(ask(h, "launchApp", R"({"path":"x.exe"})")),
            "capture_failed: 'x.exe' started elevated as process 500: it runs with higher "
            "privileges than the helper, so its windows are beyond reach");
}

}  // namespace
}  // namespace winhelper
