// The self-test's frame and checks on fake probes: what runs under Wine, how
// answers become the table, the report and the exit code.

#include <gtest/gtest.h>

#include <stdexcept>

#include "selftest/checks.h"
#include "selftest/self_test.h"

namespace winhelper::selftest {
namespace {

struct FakeProbes : Probes {
  std::uint32_t desktop_error = 0;
  std::optional<double> block_us = 2000;  // for all 200 rounds
  double clock_us = 0;
  // Between readings, in turn: before a JPEG, the JPEG, before a PNG, the PNG.
  std::vector<double> steps_us = {1, 2000, 1, 10000};
  std::size_t reading = 0;

  Machine machine() override { return {}; }
  std::uint32_t open_input_desktop() override { return desktop_error; }
  std::optional<double> large_block_rounds_us(std::size_t, int) override { return block_us; }
  double now_us() override { return clock_us += steps_us[reading++ % steps_us.size()]; }
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

TEST(SelfTest, WineAnswersOnlyWhatItCanAndFaultsFailOneCheck) {
  int runs = 0;
  const std::vector<Check> checks = {
      {"windows-only", "Wine fakes it", [&] { ++runs; return Answer{Verdict::pass, "", ""}; }},
      {"throws", "", [&]() -> Answer { throw std::runtime_error("boom"); }},
      {"measured", "", [&] { ++runs; return Answer{Verdict::pass, "fast", "3.0 ms"}; }},
  };
  const std::vector<Outcome> on_wine = run_checks(checks, {"10.0.19045", "8.0", 144, {{0, 0, 1920, 1080}}});
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(on_wine[0].answer.verdict, Verdict::not_applicable);
  EXPECT_EQ(on_wine[0].answer.reason, "under Wine 8.0: Wine fakes it");
  EXPECT_EQ(on_wine[1].answer.verdict, Verdict::fail);
  EXPECT_EQ(on_wine[1].answer.reason, "the check broke off: boom");
  EXPECT_EQ(exit_code(on_wine), 1);
  EXPECT_EQ(exit_code(std::span(on_wine).subspan(2)), 0);
  EXPECT_EQ(exit_code(std::span(on_wine).first(1)), 0);  // not applicable is no failure

  const Json json = report("0.9.0", {"10.0.19045", "8.0", 144, {{-1920, 0, 0, 1080}}}, on_wine);
  EXPECT_EQ(json.dump(),
            R"({"checks":[{"id":"windows-only","reason":"under Wine 8.0: Wine fakes it","result":"not applicable here"},)"
            R"({"id":"throws","reason":"the check broke off: boom","result":"fail"},)"
            R"({"figure":"3.0 ms","id":"measured","reason":"fast","result":"pass"}],"dpi":144,)"
            R"("monitors":[{"height":1080,"width":1920,"x":-1920,"y":0}],"version":"0.9.0",)"
            R"("windows":{"build":"10.0.19045","wine":"8.0"}})");
  EXPECT_TRUE(report("0.9.0", {}, {})["windows"]["wine"].is_null());

  const std::vector<Outcome> on_windows = run_checks(checks, {});
  EXPECT_EQ(on_windows[0].answer.verdict, Verdict::pass);
  EXPECT_EQ(console_table(on_windows),
            "id            result               figure  reason\n"
            "windows-only  pass\n"
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
