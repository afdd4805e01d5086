#pragma once
// winhelper-selftest's frame: checks of what only Windows can confirm, each
// with an id, answering pass, fail or "not applicable here" with the reason
// (and a figure where one belongs); the console table, the JSON report and
// the exit code. The checks are in checks.h, the answers from Windows in
// win32/.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/rect.h"
#include "common/result.h"
#include "protocol/request.h"

namespace winhelper::selftest {

enum class Verdict { pass, fail, not_applicable };

struct Answer {
  Verdict verdict = Verdict::fail;
  std::string reason;  // why it failed or does not apply; what passed, briefly
  std::string figure;  // a measured figure with its unit, or empty
};

// Where the checks run.
struct Machine {
  std::string windows_build;  // "10.0.19045"
  std::optional<std::string> wine;  // Wine's version when under Wine
  std::uint32_t dpi = 96;
  std::vector<ScreenRect> monitors;
};

struct Check {
  std::string_view id;
  // Why Wine's answer says nothing about Windows; empty when Wine answers as
  // Windows would (code of our own, or of a library, that the system does not
  // take part in).
  std::string_view wine_cannot_answer;
  std::function<Answer()> run;
};

struct Outcome {
  std::string id;
  Answer answer;
};

// Runs the checks in order. A check that throws fails with the exception's
// text, and the next one runs. Under Wine a check that Wine cannot answer
// still runs, but its answer, whatever it is, becomes "not applicable here"
// with the reason and what Wine answered.
std::vector<Outcome> run_checks(std::span<const Check> checks, const Machine& machine);

std::string_view verdict_text(Verdict verdict);  // "pass", "fail", "not applicable here"
// One line per check under a header: id, result, figure, reason.
std::string console_table(std::span<const Outcome> outcomes);
// {version, windows: {build, wine}, dpi, monitors: [{x, y, width, height}],
//  checks: [{id, result, reason, figure?}]}
Json report(std::string_view version, const Machine& machine, std::span<const Outcome> outcomes);
// 0 only when no check failed.
int exit_code(std::span<const Outcome> outcomes);

struct Options {
  std::optional<std::string> report_path;  // UTF-8
};
// `--report FILE`, at most once; anything else is refused with the line to
// print before the usage text.
Result<Options, std::string> parse_arguments(std::span<const std::string> args);
inline constexpr const char* kUsage =
    "usage: winhelper-selftest [--report FILE]\n"
    "Checks on this machine what the helper assumes of Windows, prints one line per check\n"
    "and writes them with the machine's description to FILE as JSON. Exit code 0 only when\n"
    "no check failed.\n";

}  // namespace winhelper::selftest
