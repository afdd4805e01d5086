#include "selftest/self_test.h"

#include <algorithm>
#include <exception>

namespace winhelper::selftest {

namespace {

Answer run_guarded(const Check& check) {
  try {
    return check.run();
  } catch (const std::exception& error) {
    return {Verdict::fail, std::string("the check broke off: ") + error.what(), ""};
  }
}

}  // namespace

std::vector<Outcome> run_checks(std::span<const Check> checks, const Machine& machine) {
  std::vector<Outcome> outcomes;
  outcomes.reserve(checks.size());
  for (const Check& check : checks) {
    Answer answer = run_guarded(check);
    if (machine.wine && !check.wine_cannot_answer.empty()) {
      // Run all the same, so that its code runs and its leftovers would show;
      // what Wine said follows the reason.
      std::string said(verdict_text(answer.verdict));
      if (!answer.figure.empty()) said += " (" + answer.figure + ")";
      if (!answer.reason.empty()) said += ": " + answer.reason;
      answer = {Verdict::not_applicable,
                "under Wine " + *machine.wine + ": " + std::string(check.wine_cannot_answer) +
                    "; Wine's answer: " + said,
                ""};
    }
    outcomes.push_back({std::string(check.id), std::move(answer)});
  }
  return outcomes;
}

std::string_view verdict_text(Verdict verdict) {
  switch (verdict) {
    case Verdict::pass: return "pass";
    case Verdict::fail: return "fail";
    case Verdict::not_applicable: return "not applicable here";
  }
  return "fail";
}

std::string console_table(std::span<const Outcome> outcomes) {
  std::size_t id_width = 2;
  std::size_t figure_width = 6;
  for (const Outcome& outcome : outcomes) {
    id_width = std::max(id_width, outcome.id.size());
    figure_width = std::max(figure_width, outcome.answer.figure.size());
  }
  auto row = [&](std::string_view id, std::string_view result, std::string_view figure,
                 std::string_view reason) {
    std::string line(id);
    line.append(id_width + 2 - id.size(), ' ');
    line.append(result).append(verdict_text(Verdict::not_applicable).size() + 2 - result.size(), ' ');
    line.append(figure).append(figure_width + 2 - figure.size(), ' ');
    line.append(reason);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line + "\n";
  };
  std::string table = row("id", "result", "figure", "reason");
  for (const Outcome& outcome : outcomes) {
    table += row(outcome.id, verdict_text(outcome.answer.verdict), outcome.answer.figure,
                 outcome.answer.reason);
  }
  return table;
}

Json report(std::string_view version, const Machine& machine, std::span<const Outcome> outcomes) {
  Json monitors = Json::array();
  for (const ScreenRect& rect : machine.monitors) {
    monitors.push_back({{"x", rect.left},
                        {"y", rect.top},
                        {"width", rect.right - rect.left},
                        {"height", rect.bottom - rect.top}});
  }
  Json checks = Json::array();
  for (const Outcome& outcome : outcomes) {
    Json check = {{"id", outcome.id},
                  {"result", verdict_text(outcome.answer.verdict)},
                  {"reason", outcome.answer.reason}};
    if (!outcome.answer.figure.empty()) check["figure"] = outcome.answer.figure;
    checks.push_back(std::move(check));
  }
  return {{"version", version},
          {"windows", {{"build", machine.windows_build},
                       {"wine", machine.wine ? Json(*machine.wine) : Json(nullptr)}}},
          {"dpi", machine.dpi},
          {"monitors", std::move(monitors)},
          {"checks", std::move(checks)}};
}

int exit_code(std::span<const Outcome> outcomes) {
  return std::any_of(outcomes.begin(), outcomes.end(),
                     [](const Outcome& o) { return o.answer.verdict == Verdict::fail; })
             ? 1
             : 0;
}

Result<Options, std::string> parse_arguments(std::span<const std::string> args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--report") return "unknown argument '" + args[i] + "'";
    if (options.report_path) return std::string("--report is given twice");
    if (i + 1 == args.size() || args[i + 1].empty()) return std::string("--report needs a file");
    options.report_path = args[++i];
  }
  return options;
}

}  // namespace winhelper::selftest
