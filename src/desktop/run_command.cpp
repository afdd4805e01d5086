#include "desktop/run_command.h"

#include <cmath>
#include <memory>
#include <utility>

#include "common/text.h"
#include "desktop/run_lines.h"
#include "process/launch_request.h"
#include "process/output_capture.h"
#include "protocol/args.h"

namespace winhelper {

namespace {

// Polls come often at first, so that a quick command answers quickly, and
// at once while a pipe had more than one poll reads.
constexpr std::int64_t kFirstPollsMs = 5;
constexpr std::int64_t kPollMs = 25;
constexpr std::int64_t kQuickPhaseMs = 500;
constexpr std::size_t kReadPerPoll = std::size_t{1} << 20;
// How long output may still come after the started process ended, from
// processes it left running; they are ended with the answer.
constexpr std::int64_t kDrainAfterExitMs = 250;

struct RunArguments {
  Invocation invocation;
  std::string cwd;
  std::vector<std::pair<std::string, std::string>> env;
  std::string stdin_text;
  std::int64_t timeout_ms = kDefaultRunTimeoutMs;
  std::uint64_t max_chars = kDefaultRunOutputChars;
};

HelperError nul_refusal() {
  return invalid_request("runCommand arguments must not contain NUL characters");
}

// A whole number within [low, high]; `fallback` when absent.
std::optional<std::int64_t> whole_number(const Json& args, std::string_view key,
                                         std::int64_t fallback, std::int64_t low,
                                         std::int64_t high) {
  const Json* given = arg_member(args, key);
  if (given == nullptr || given->is_null()) return fallback;
  if (!given->is_number()) return std::nullopt;
  double value = given->get<double>();
  if (std::trunc(value) != value || value < static_cast<double>(low) ||
      value > static_cast<double>(high)) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(value);
}

Result<std::vector<std::string>> read_args(const Json& args) {
  std::vector<std::string> items;
  const Json* given = arg_member(args, "args");
  if (given == nullptr || given->is_null()) return items;
  if (!given->is_array()) return invalid_request("runCommand args must be an array of strings");
  for (const Json& item : *given) {
    if (!item.is_string()) return invalid_request("runCommand args must be an array of strings");
    items.push_back(item.get<std::string>());
    if (has_nul(items.back())) return nul_refusal();
  }
  return items;
}

Result<std::vector<std::pair<std::string, std::string>>> read_env(const Json& args) {
  std::vector<std::pair<std::string, std::string>> env;
  const Json* given = arg_member(args, "env");
  if (given == nullptr || given->is_null()) return env;
  if (!given->is_object()) return invalid_request("runCommand env must be an object of strings");
  for (const auto& [name, value] : given->items()) {
    if (!value.is_string()) return invalid_request("runCommand env must be an object of strings");
    if (name.empty() || name.find('=') != std::string::npos) {
      return invalid_request("runCommand env names must be non-empty and without '='");
    }
    env.emplace_back(name, value.get<std::string>());
    if (has_nul(name) || has_nul(env.back().second)) return nul_refusal();
  }
  return env;
}

Result<Invocation> read_invocation(const Json& args) {
  std::optional<std::string> program = arg_string(args, "program");
  std::optional<std::string> command = arg_string(args, "command");
  if (program && command) return invalid_request("runCommand takes program or command, not both");
  if ((!program || program->empty()) && (!command || command->empty())) {
    return invalid_request("runCommand requires program or command");
  }
  auto listed = read_args(args);
  if (!listed) return listed.take_error();
  if (program) {
    if (has_nul(*program)) return nul_refusal();
    return direct_invocation(*program, *listed);
  }
  if (!listed->empty()) {
    return invalid_request(
        "runCommand args go with program; a command is one line for its shell");
  }
  if (has_nul(*command)) return nul_refusal();
  std::string name = arg_string(args, "shell").value_or("cmd");
  std::optional<Shell> shell = shell_named(name);
  if (!shell) {
    return invalid_request("runCommand shell must be \"cmd\" or \"powershell\", not '" + name +
                           "'");
  }
  return shell_invocation(*shell, *command);
}

Result<RunArguments> read_arguments(const Json& args) {
  RunArguments run;
  auto invocation = read_invocation(args);
  if (!invocation) return invocation.take_error();
  run.invocation = std::move(*invocation);
  run.cwd = arg_string(args, "cwd").value_or("");
  auto env = read_env(args);
  if (!env) return env.take_error();
  run.env = std::move(*env);
  run.stdin_text = arg_string(args, "stdin").value_or("");
  if (has_nul(run.cwd)) return nul_refusal();
  auto timeout = whole_number(args, "timeoutMs", kDefaultRunTimeoutMs, 1, kMaxRunTimeoutMs);
  if (!timeout) {
    return invalid_request("runCommand timeoutMs must be a whole number from 1 to " +
                           std::to_string(kMaxRunTimeoutMs));
  }
  run.timeout_ms = *timeout;
  auto max_chars = whole_number(args, "maxOutputChars", kDefaultRunOutputChars, 0,
                                static_cast<std::int64_t>(kMaxRunOutputChars));
  if (!max_chars) {
    return invalid_request("runCommand maxOutputChars must be a whole number from 0 to " +
                           std::to_string(kMaxRunOutputChars));
  }
  run.max_chars = static_cast<std::uint64_t>(*max_chars);
  return run;
}

HelperError start_error(const std::string& shown, const LaunchError& error) {
  const std::string prefix = "Cannot run '" + shown + "': ";
  switch (error.kind) {
    case LaunchFailure::NotFound:
      return target_not_found(prefix + "no such file or program");
    case LaunchFailure::AccessDenied:
      return internal_error(prefix + "access is denied");
    case LaunchFailure::ElevationRequired:
      return internal_error(prefix + "it requires elevation, which the helper cannot give");
    default:
      break;
  }
  return internal_error(prefix + (error.platform_text.empty() ? "the system refused"
                                                              : error.platform_text));
}

class RunPoll final : public PolledCommand {
 public:
  RunPoll(std::unique_ptr<RunningProcess> process, CommandRunner& runner, RunArguments run,
          std::int64_t started)
      : process_(std::move(process)),
        runner_(runner),
        form_(run.invocation.output),
        input_(std::move(run.stdin_text)),
        out_(run.max_chars),
        err_(run.max_chars),
        started_(started),
        deadline_(started + run.timeout_ms),
        pid_(process_->pid()) {
    if (input_.empty()) process_->close_input();
  }

  std::optional<PollProgress> progress(std::int64_t now_ms) const override {
    PollProgress progress = PollProgress::between(started_, deadline_, now_ms);
    progress.output_bytes = out_.total_bytes() + err_.total_bytes();
    return progress;
  }

  PollStep poll(CommandContext& ctx) override {
    const std::int64_t now = ctx.platform.clock.now_ms();
    bool busy = pump();
    if (ctx.cancelled()) {
      process_->end_tree();
      return PollStep::done(invalid_request("runCommand was withdrawn"));
    }
    if (!exited_at_) {
      if ((exit_code_ = process_->exit_code())) exited_at_ = now;
    }
    if (exited_at_ && ((!out_open_ && !err_open_) || now >= *exited_at_ + kDrainAfterExitMs)) {
      return PollStep::done(finish(now, /*timed_out=*/false));
    }
    if (now >= deadline_) {
      process_->end_tree();
      pump();
      return PollStep::done(finish(now, /*timed_out=*/true));
    }
    if (busy) return PollStep::again(0);
    return PollStep::again(now - started_ < kQuickPhaseMs ? kFirstPollsMs : kPollMs);
  }

 private:
  // Feeds the input and reads both pipes; true when a pipe had more than
  // one poll reads.
  bool pump() {
    if (written_ < input_.size()) {
      written_ += process_->write_input(std::string_view(input_).substr(written_));
      if (written_ == input_.size()) process_->close_input();
    }
    bool busy = false;
    auto drain = [&](OutputStream stream, bool& open, OutputCapture& capture) {
      if (!open) return;
      chunk_.clear();
      open = process_->read(stream, chunk_, kReadPerPoll);
      capture.append(chunk_);
      busy |= chunk_.size() == kReadPerPoll;
    };
    drain(OutputStream::Out, out_open_, out_);
    drain(OutputStream::Err, err_open_, err_);
    return busy;
  }

  Json finish(std::int64_t now, bool timed_out) {
    // Whatever of the tree still runs ends before the answer.
    process_.reset();
    CodePages pages = runner_.code_pages();
    CodePageDecoder decode = [this](std::string_view bytes, std::uint32_t page) {
      return runner_.decode(bytes, page);
    };
    CapturedText out = out_.finish(form_, pages, decode);
    CapturedText err = err_.finish(form_, pages, decode);
    Json result = Json::object();
    result["durationMs"] = now - started_;
    result["exitCode"] = timed_out || !exit_code_ ? Json(nullptr) : Json(*exit_code_);
    result["pid"] = pid_;
    result["stderr"] = std::move(err.text);
    result["stderrTotalChars"] = err.total_chars;
    result["stdout"] = std::move(out.text);
    result["stdoutTotalChars"] = out.total_chars;
    result["timedOut"] = timed_out;
    result["truncated"] = out.truncated || err.truncated;
    return result;
  }

  std::unique_ptr<RunningProcess> process_;
  CommandRunner& runner_;
  StreamForm form_;
  std::string input_;
  std::size_t written_ = 0;
  OutputCapture out_, err_;
  bool out_open_ = true, err_open_ = true;
  std::string chunk_;
  std::int64_t started_, deadline_;
  std::uint32_t pid_;
  std::optional<std::uint32_t> exit_code_;
  std::optional<std::int64_t> exited_at_;
};

}  // namespace

PolledStart start_run_command(const Json& args, CommandContext& ctx) {
  auto run = read_arguments(args);
  if (!run) return run.take_error();
  CommandRunner* runner = ctx.platform.commands;
  if (runner == nullptr) return port_unavailable(PlatformPort::Commands);
  if (!run->cwd.empty() && !runner->is_directory(run->cwd)) {
    return invalid_request("runCommand cwd '" + run->cwd + "' is not an existing folder");
  }
  const std::string& shown = run->invocation.program;
  std::optional<std::string> program = runner->find_program(shown, run->cwd);
  if (!program) return start_error(shown, LaunchError{LaunchFailure::NotFound, {}});
  // Windows runs a batch file through the command interpreter, which reads
  // the arguments again as a command line: quoting cannot keep them apart.
  if (is_batch_file(*program) && arg_array(args, "args") && !arg_array(args, "args")->empty()) {
    return invalid_request(
        "runCommand cannot pass args to a batch file: the command interpreter reads them again "
        "as a command line; give the whole line as command with shell \"cmd\"");
  }
  RunSpec spec{*program, run->invocation.command_line, run->cwd,
               merged_environment(runner->environment(), run->env)};
  auto started = runner->start(spec);
  if (!started) return start_error(shown, started.error());
  const std::int64_t now = ctx.platform.clock.now_ms();
  return std::unique_ptr<PolledCommand>(
      std::make_unique<RunPoll>(std::move(started).value(), *runner, std::move(*run), now));
}

}  // namespace winhelper
