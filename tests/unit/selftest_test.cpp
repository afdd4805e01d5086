// The self-test's frame and checks on fake probes: what runs under Wine, how
// answers become the table, the report and the exit code; each judgement;
// and a whole run against a fake test application on the fake desktop.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "fakes/fake_clock.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_uia.h"
#include "fakes/fake_windows.h"
#include "selftest/checks.h"
#include "selftest/desktop_state.h"
#include "selftest/self_test.h"
#include "selftest/test_app.h"
#include "selftest/uia_checks.h"
#include "selftest/window_checks.h"

namespace winhelper::selftest {
namespace {

using fakes::FakeWindow;

// The test application on the fake desktop: its main window, a UI
// Automation tree with a layout pane that is no control element, an Open
// Blocking Dialog button whose Invoke shows a dialog; F9 makes it hang, Windows
// reporting it 5 s later; closing its windows ends it.
struct FakeProbes : Probes {
  std::uint32_t desktop_error = 0;
  std::optional<double> block_us = 2000;  // for all 200 rounds
  double clock_us = 0;
  // Between readings, in turn: before a JPEG, the JPEG, before a PNG, the PNG.
  std::vector<double> steps_us = {1, 2000, 1, 10000};
  std::size_t reading = 0;
  fakes::FakeClock fake_clock;
  fakes::FakeWindows fake_windows;
  fakes::FakeUia fake_uia;
  fakes::FakeClipboard fake_clipboard;
  SocketShutdown socket{"", true, 3.5};
  FileAcl acl{"", true, {{true, "S-1-5-21-1", kFileAllAccess}}, "S-1-5-21-1"};
  std::uint32_t dpi_unaware_dpi = 144;
  std::vector<std::string> extra_leftovers;
  std::function<void()> on_start;  // after a test application shows

  struct App {
    std::uint32_t pid;
    bool ended = false;
    WindowHandle window = 0;
    std::optional<std::int64_t> hang_started;
    int hang_ms = 0;
  };
  std::vector<std::shared_ptr<App>> apps;

  struct Process : StartedProcess {
    std::shared_ptr<App> app;
    FakeProbes* probes;
    std::uint32_t pid() override { return app->pid; }
    bool wait_exit(std::int64_t) override { return app->ended; }
    void terminate() override { probes->end(*app); }
  };

  FakeProbes() {
    fake_windows.set_foreground_rule(fakes::ForegroundRule::GrantWhileAttached);
    fake_windows.on_close([this](WindowHandle window) {
      for (auto& app : apps)
        if (app->window == window) end(*app);
      fake_windows.remove(window);
    });
    fake_clock.on_sleep = [this] {
      for (auto& app : apps) {
        const std::int64_t since = app->hang_started ? fake_clock.now_ms() - *app->hang_started : -1;
        fake_windows.edit(app->window, [&](FakeWindow& w) { w.hung = since >= 5000 && since < app->hang_ms; });
      }
    };
  }

  void end(App& app) {
    app.ended = true;
    for (WindowHandle w : fake_windows.enumerate_top_level().handles)
      if (fake_windows.process_id(w) == app.pid) fake_windows.remove(w);
  }

  Machine machine() override { return {}; }
  std::uint32_t open_input_desktop() override { return desktop_error; }
  std::optional<double> large_block_rounds_us(std::size_t, int) override { return block_us; }
  double now_us() override { return clock_us += steps_us[reading++ % steps_us.size()]; }
  Clock& clock() override { return fake_clock; }
  uia::UiaClient& uia() override { return fake_uia; }
  WindowSystem& windows() override { return fake_windows; }
  Clipboard& clipboard() override { return fake_clipboard; }

  Result<std::unique_ptr<StartedProcess>, StartFailure> start_test_app(
      const std::vector<std::string>& args) override {
    auto app = std::make_shared<App>(App{static_cast<std::uint32_t>(500 + apps.size())});
    auto has = [&](const char* flag) { return std::find(args.begin(), args.end(), flag) != args.end(); };
    auto value = [&](const char* flag) { return *(std::find(args.begin(), args.end(), flag) + 1); };
    if (has("--hang-ms")) app->hang_ms = std::stoi(value("--hang-ms"));
    if (has("--hold-clipboard")) fake_clipboard.hold_for(1);
    FakeWindow window{0, value("--title"), "WinhelperTestApp", app->pid};
    window.thread = 300 + app->pid;
    if (has("--dpi-unaware")) window.dpi = dpi_unaware_dpi;
    app->window = fake_windows.add(window);
    fakes::FakeElement& root = fake_uia.add_window(app->window, value("--title"));
    fakes::FakeElement& pane = fake_uia.add_child(root, "layout");
    pane.control_element = false;
    fakes::FakeElement& button = fake_uia.add_child(pane, "button");
    button.name = "Open Blocking Dialog";
    button.invoke = true;
    button.reactions["Invoke"] = [this, pid = app->pid](fakes::FakeElement&) {
      fake_windows.add(FakeWindow{0, "Test Dialog", "#32770", pid});
    };
    fakes::FakeElement& edit = fake_uia.add_child(pane, "edit");
    edit.control_type = 50004;
    edit.value_pattern = true;
    fake_uia.add_child(root, "status").name = "ready";
    apps.push_back(app);
    if (on_start) on_start();
    auto process = std::make_unique<Process>();
    process->app = app;
    process->probes = this;
    return std::unique_ptr<StartedProcess>(std::move(process));
  }
  void post_key(WindowHandle window, std::uint32_t key) override {
    for (auto& app : apps)
      if (app->window == window && key == 0x78 && app->hang_ms > 0) app->hang_started = fake_clock.now_ms();
  }
  SocketShutdown socket_shutdown(std::int64_t) override { return socket; }
  FileAcl private_file_acl() override { return acl; }
  std::vector<std::string> leftovers() override {
    std::vector<std::string> left = extra_leftovers;
    for (auto& app : apps)
      if (!app->ended) left.push_back("process " + std::to_string(app->pid) + " still runs");
    return left;
  }
};

Answer answer_of(FakeProbes& probes, std::string_view id) {
  for (const Check& check : windows_checks(probes))
    if (check.id == id) return check.run();
  throw std::logic_error("no check " + std::string(id));
}

TEST(SelfTest, ChecksJudgeWhatTheProbesMeasure) {
  FakeProbes probes;
  EXPECT_EQ(answer_of(probes, "input-desktop").verdict, Verdict::pass);
  const Answer jpeg = answer_of(probes, "jpeg-speed");  // real encodings, timed by the fake
  EXPECT_EQ(jpeg.verdict, Verdict::pass);
  EXPECT_EQ(jpeg.figure, "2.0 ms, 20% of PNG's");
  EXPECT_EQ(answer_of(probes, "large-block-cost").figure, "10.0 us per 1 MiB block");

  probes.desktop_error = 5;
  probes.steps_us = {1, 12000, 1, 10000};
  probes.block_us = 200 * 250.0;
  const Answer desktop = answer_of(probes, "input-desktop");
  EXPECT_EQ(desktop.verdict, Verdict::fail);
  EXPECT_NE(desktop.reason.find("error 5"), std::string::npos);
  EXPECT_EQ(answer_of(probes, "jpeg-speed").verdict, Verdict::fail);
  EXPECT_EQ(answer_of(probes, "large-block-cost").verdict, Verdict::fail);
  probes.block_us = std::nullopt;
  EXPECT_EQ(answer_of(probes, "large-block-cost").verdict, Verdict::fail);
}

// Each judgement at its edges: what passes, what fails and what does not
// apply, with the words a reader of the report needs.
TEST(SelfTest, Judgements) {
  using Press = uia::Result<uia::PressResult>;
  const Press invoked = uia::PressResult{uia::PressResult::Kind::Invoked, false};
  const Press toggled = uia::PressResult{uia::PressResult::Kind::Toggled, true};
  const Press timed_out = uia::UiaError{uia::UiaErrorKind::Timeout, "UIA_E_TIMEOUT (0x80131505)"};
  const Press gone = uia::UiaError{uia::UiaErrorKind::Stale, "element not found"};
  const Result<std::optional<std::string>, ClipboardError> text = std::optional<std::string>("x");
  const Result<std::optional<std::string>, ClipboardError> busy =
      ClipboardError{ClipboardFailure::Busy, "Access is denied. (0x80070005)"};
  const Result<std::optional<std::string>, ClipboardError> other =
      ClipboardError{ClipboardFailure::Failed, "Invalid handle. (0x80070006)"};
  const ScreenRect asked{100, 100, 700, 500};
  const std::string user = "S-1-5-21-1";
  auto acl = [&](bool is_protected, std::vector<FileAcl::Entry> entries) {
    return FileAcl{"", is_protected, std::move(entries), user};
  };
  struct Case {
    Answer answer;
    Verdict verdict;
    std::string words;  // in the reason
    std::string figure;
  };
  const std::vector<Case> cases = {
      {judge_invoke(&invoked, 40, true), Verdict::pass, "returned with the dialog open", "0.0 s"},
      {judge_invoke(&invoked, 40, false), Verdict::fail, "no dialog opened", "0.0 s"},
      {judge_invoke(&timed_out, 5100, true), Verdict::pass, "timed out", "5.1 s"},
      {judge_invoke(&gone, 100, false), Verdict::fail, "element not found", ""},
      {judge_invoke(&toggled, 100, true), Verdict::fail, "did not use Invoke", "0.1 s"},
      {judge_invoke(nullptr, 8000, true), Verdict::fail, "still blocked after 8.0 s", "8.0 s"},
      {judge_hung_report(5100), Verdict::pass, "5 s after", "5.1 s"},
      {judge_hung_report(1500), Verdict::fail, "sooner", "1.5 s"},
      {judge_hung_report(7500), Verdict::fail, "later", "7.5 s"},
      {judge_hung_report(std::nullopt), Verdict::fail, "not reported hung", ""},
      {judge_foreground(true, ok_status()), Verdict::not_applicable, "first plain", ""},
      {judge_foreground(false, ok_status()), Verdict::pass, "escalation brought", ""},
      {judge_foreground(false, HelperError{}), Verdict::fail, "did not overcome", ""},
      {judge_clipboard(busy, true), Verdict::pass, "busy", ""},
      {judge_clipboard(busy, false), Verdict::fail, "stayed closed", ""},
      {judge_clipboard(other, true), Verdict::fail, "Invalid handle", ""},
      {judge_clipboard(text, true), Verdict::fail, "opened while", ""},
      {judge_move(96, true, asked, asked), Verdict::not_applicable, "96 DPI", ""},
      {judge_move(144, true, asked, ScreenRect{101, 99, 700, 501}), Verdict::pass, "physical pixels", "144 DPI"},
      {judge_move(144, true, asked, ScreenRect{150, 150, 1050, 750}), Verdict::fail,
       "took (150, 150) 900x600", "144 DPI"},
      {judge_move(144, false, asked, asked), Verdict::fail, "refused", "144 DPI"},
      {judge_move(120, true, asked, std::nullopt), Verdict::fail, "could not be read", "120 DPI"},
      {judge_socket_shutdown({"", true, 3.5}), Verdict::pass, "ends the original", "3.5 ms"},
      {judge_socket_shutdown({"", true, 1500}), Verdict::fail, "late", "1500.0 ms"},
      {judge_socket_shutdown({"", false, 0}), Verdict::fail, "went on", ""},
      {judge_socket_shutdown({"connect failed with 10061", false, 0}), Verdict::fail, "10061", ""},
      {judge_private_file(acl(true, {{true, user, kFileAllAccess}})), Verdict::pass, "only the user", ""},
      {judge_private_file(acl(false, {{true, user, kFileAllAccess}})), Verdict::fail, "inherits", ""},
      {judge_private_file(acl(true, {{true, user, kFileAllAccess}, {true, "S-1-1-0", 0x120089}})),
       Verdict::fail, "grants S-1-1-0", ""},
      {judge_private_file(acl(true, {{true, user, 0x120089}})), Verdict::fail, "lacks full access", ""},
      {judge_private_file(acl(true, {})), Verdict::fail, "lacks full access", ""},
      {judge_private_file({"no access list: anyone may read it", true, {}, user}), Verdict::fail,
       "anyone", ""},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(c.answer.verdict, c.verdict) << "case " << i << ": " << c.answer.reason;
    EXPECT_NE(c.answer.reason.find(c.words), std::string::npos) << "case " << i << ": " << c.answer.reason;
    EXPECT_EQ(c.answer.figure, c.figure) << "case " << i;
  }
}

std::map<std::string, Answer> by_id(const std::vector<Outcome>& outcomes) {
  std::map<std::string, Answer> answers;
  for (const Outcome& outcome : outcomes) answers[outcome.id] = outcome.answer;
  return answers;
}

// A whole run on the fake desktop: every check finds the test application,
// passes, and ends it; under Wine the same run passes nothing Wine cannot
// answer; a run that moves another window or leaves a process fails its last
// line; and without the test application its checks do not apply.
TEST(SelfTest, WholeRunLeavesTheDesktopAsItFoundIt) {
  FakeProbes probes;
  const WindowHandle editor = probes.fake_windows.add({0, "notes - Editor", "Edit", 77});
  probes.fake_windows.set_foreground_window(editor);
  probes.fake_clipboard.set_text("kept");

  const std::vector<Outcome> outcomes = run_all(probes, {});
  std::vector<std::string> ids;
  for (const Outcome& outcome : outcomes) {
    ids.push_back(outcome.id);
    EXPECT_EQ(outcome.answer.verdict, Verdict::pass) << outcome.id << ": " << outcome.answer.reason;
  }
  EXPECT_EQ(ids, (std::vector<std::string>{
                     "input-desktop", "jpeg-speed", "large-block-cost", "uia-cached-walk",
                     "uia-search-order", "uia-control-parents", "uia-provider-timeouts",
                     "uia-blocking-invoke", "hung-window", "foreground-escalation", "clipboard-busy",
                     "dpi-unaware-move", "socket-shutdown", "token-file-acl", "left-as-found"}));
  std::map<std::string, Answer> answers = by_id(outcomes);
  EXPECT_EQ(answers["uia-cached-walk"].figure, "4 elements");  // the pane is no control element
  EXPECT_EQ(answers["uia-control-parents"].figure, "3 parents");
  EXPECT_EQ(answers["hung-window"].figure, "5.1 s");
  EXPECT_EQ(answers["dpi-unaware-move"].figure, "144 DPI");
  EXPECT_EQ(probes.fake_windows.foreground(), editor);  // given back
  EXPECT_EQ(probes.fake_windows.enumerate_top_level().handles, std::vector<WindowHandle>{editor});
  EXPECT_EQ(probes.fake_uia.sessions_open(), 0);

  // Under Wine: everything runs, nothing Wine cannot answer passes.
  FakeProbes wine;
  wine.fake_windows.set_foreground_rule(fakes::ForegroundRule::Grant);
  for (const Outcome& outcome : run_all(wine, {"", "8.0", 96, {}})) {
    const bool wine_answers = outcome.id == "jpeg-speed" || outcome.id == "left-as-found";
    EXPECT_EQ(outcome.answer.verdict, wine_answers ? Verdict::pass : Verdict::not_applicable)
        << outcome.id << ": " << outcome.answer.reason;
  }
  EXPECT_TRUE(wine.fake_windows.enumerate_top_level().handles.empty());

  // A check that moves another window and leaves a process running.
  probes.on_start = [&] {
    probes.fake_windows.move(editor, {0, 0, 100, 100});
    probes.on_start = nullptr;
  };
  probes.extra_leftovers = {"C:\\Temp\\winhelper-selftest-1 was not deleted"};
  const Answer left = run_all(probes, {}).back().answer;
  EXPECT_EQ(left.verdict, Verdict::fail);
  EXPECT_EQ(left.reason, "C:\\Temp\\winhelper-selftest-1 was not deleted; window 'notes - Editor' moved");

  // A process that ignores the request to close is terminated.
  FakeProbes stubborn;
  stubborn.fake_windows.on_close([](WindowHandle) {});
  {
    auto app = TestApp::start(stubborn, {});
    ASSERT_TRUE(app);
    EXPECT_FALSE(stubborn.apps[0]->ended);
  }
  EXPECT_TRUE(stubborn.apps[0]->ended);
}

// What each UI Automation check exists to catch, one fault of the client at a time.
TEST(SelfTest, UiAutomationChecksCatchTheFaultsTheyAreFor) {
  struct Case {
    std::function<void(fakes::FakeUia&)> fault;
    std::string id;
    std::string words;
  };
  const std::vector<Case> cases = {
      {[](fakes::FakeUia& u) { u.open_failure = uia::OpenFailure{}; }, "uia-cached-walk",
       "UI Automation is unavailable"},
      {[](fakes::FakeUia& u) { u.open_failure = uia::OpenFailure{}; }, "uia-provider-timeouts",
       "UI Automation is unavailable"},
      {[](fakes::FakeUia& u) { u.cache_failure = "E_FAIL"; }, "uia-cached-walk", "every look reads"},
      {[](fakes::FakeUia& u) { u.cache_failure = "E_FAIL"; }, "uia-search-order", "BuildUpdatedCache"},
      {[](fakes::FakeUia& u) { u.walker_failure = "E_FAIL"; }, "uia-control-parents", "E_FAIL"},
      {[](fakes::FakeUia& u) { u.bounds = {false, "E_NOINTERFACE"}; }, "uia-provider-timeouts",
       "not applied: E_NOINTERFACE"},
      {[](fakes::FakeUia& u) { u.element_from_handle_failure = "E_FAIL"; }, "uia-blocking-invoke",
       "no element for the test window"},
  };
  for (const Case& c : cases) {
    FakeProbes probes;
    c.fault(probes.fake_uia);
    const Answer answer = answer_of(probes, c.id);
    EXPECT_EQ(answer.verdict, Verdict::fail) << c.id << ": " << answer.reason;
    EXPECT_NE(answer.reason.find(c.words), std::string::npos) << c.id << ": " << answer.reason;
    EXPECT_TRUE(probes.apps.back()->ended) << c.id;
  }
}

TEST(SelfTest, ATestApplicationThatIsNotThereOrShowsNothing) {
  struct Missing : FakeProbes {
    bool missing = true;
    Result<std::unique_ptr<StartedProcess>, StartFailure> start_test_app(
        const std::vector<std::string>& args) override {
      if (missing) return StartFailure{true, "not found"};
      auto started = FakeProbes::start_test_app(args);
      fake_windows.remove(apps.back()->window);
      return started;
    }
  } probes;
  const Answer missing = answer_of(probes, "uia-cached-walk");
  EXPECT_EQ(missing.verdict, Verdict::not_applicable);
  EXPECT_NE(missing.reason.find("winhelper-testapp.exe"), std::string::npos);
  probes.missing = false;
  const Answer hidden = answer_of(probes, "hung-window");
  EXPECT_EQ(hidden.verdict, Verdict::fail);
  EXPECT_EQ(hidden.reason, "the test application showed no window within 10 s");
  EXPECT_TRUE(probes.apps[0]->ended);
}

TEST(SelfTest, WineAnswersOnlyWhatItCanAndFaultsFailOneCheck) {
  int runs = 0;
  const std::vector<Check> checks = {
      {"windows-only", "Wine fakes it", [&] { ++runs; return Answer{Verdict::fail, "", "1.0 s"}; }},
      {"throws", "", [&]() -> Answer { throw std::runtime_error("boom"); }},
      {"measured", "", [&] { ++runs; return Answer{Verdict::pass, "fast", "3.0 ms"}; }},
  };
  const std::vector<Outcome> on_wine = run_checks(checks, {"10.0.19045", "8.0", 144, {{0, 0, 1920, 1080}}});
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(on_wine[0].answer.verdict, Verdict::not_applicable);
  EXPECT_EQ(on_wine[0].answer.reason, "under Wine 8.0: Wine fakes it; Wine's answer: fail (1.0 s)");
  EXPECT_EQ(on_wine[1].answer.verdict, Verdict::fail);
  EXPECT_EQ(on_wine[1].answer.reason, "the check broke off: boom");
  EXPECT_EQ(exit_code(on_wine), 1);
  EXPECT_EQ(exit_code(std::span(on_wine).subspan(2)), 0);
  EXPECT_EQ(exit_code(std::span(on_wine).first(1)), 0);  // not applicable is no failure

  const Json json = report("0.9.0", {"10.0.19045", "8.0", 144, {{-1920, 0, 0, 1080}}}, on_wine);
  const std::string expected =
      R"j({"checks":[{"id":"windows-only","reason":"under Wine 8.0: Wine fakes it; Wine's answer: fail (1.0 s)","result":"not applicable here"},)j"
      R"({"id":"throws","reason":"the check broke off: boom","result":"fail"},)"
      R"({"figure":"3.0 ms","id":"measured","reason":"fast","result":"pass"}],"dpi":144,)"
      R"("monitors":[{"height":1080,"width":1920,"x":-1920,"y":0}],"version":"0.9.0",)"
      R"("windows":{"build":"10.0.19045","wine":"8.0"}})";
  EXPECT_EQ(json.dump(), expected);
  EXPECT_TRUE(report("0.9.0", {}, {})["windows"]["wine"].is_null());

  const std::vector<Outcome> on_windows = run_checks(checks, {});
  EXPECT_EQ(on_windows[0].answer.verdict, Verdict::fail);
  EXPECT_EQ(console_table(on_windows),
            "id            result               figure  reason\n"
            "windows-only  fail                 1.0 s\n"
            "throws        fail                         the check broke off: boom\n"
            "measured      pass                 3.0 ms  fast\n");
}

TEST(SelfTest, Arguments) {
  using Args = std::vector<std::string>;
  EXPECT_FALSE(parse_arguments(Args{})->report_path);
  EXPECT_EQ(*parse_arguments(Args{"--report", "C:\\r é.json"})->report_path, "C:\\r é.json");
  for (const Args& bad : {Args{"--report"}, Args{"--report", ""}, Args{"--report", "a", "--report", "b"},
                          Args{"--verbose"}}) {
    EXPECT_FALSE(parse_arguments(bad)) << bad.size();
  }
}

}  // namespace
}  // namespace winhelper::selftest
