#include "desktop/launch_app_command.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "common/lowercase.h"
#include "common/text.h"
#include "desktop/launch_wait.h"
#include "process/launch_request.h"
#include "protocol/args.h"
#include "windows/window_json.h"
#include "windows/window_reach.h"

namespace winhelper {

namespace {

// A program's name as Windows matches it: a command line's program is its
// first argument, quoted or up to the first blank; trailing dots and blanks
// are dropped, as Windows ignores them in names; lower case.
std::string program_name(std::string_view program, bool command_line) {
  if (command_line && !program.empty() && program.front() == '"') {
    program.remove_prefix(1);
    program = program.substr(0, program.find('"'));
  } else if (std::size_t blank = program.find_first_of(" \t");
             command_line && blank != std::string_view::npos) {
    program = program.substr(0, blank);
  }
  while (!program.empty() && (program.back() == ' ' || program.back() == '.')) {
    program.remove_suffix(1);
  }
  return to_lower_ascii(program);
}

bool names_batch_file(std::string_view program, bool command_line) {
  return is_batch_file(program_name(program, command_line));
}

// Whether a shell path names a program (an .exe, or a name without an
// extension that the shell looks up as one) rather than a document, a URL or
// a shell folder.
bool names_program(std::string_view path) {
  std::string name = program_name(path, /*command_line=*/false);
  if (name.ends_with(".exe")) return true;
  std::size_t last = name.find_last_of("\\/");
  std::string_view leaf = std::string_view(name).substr(last == std::string::npos ? 0 : last + 1);
  std::size_t colon = name.find(':');  // beyond a drive letter: a URL's scheme
  return !leaf.empty() && leaf.find('.') == std::string_view::npos &&
         (colon == std::string::npos || colon == 1);
}

constexpr const char* kWebAccessibilitySwitch = "--force-renderer-accessibility";

// `args` as one string: given as a string it is passed as it stands; given
// as an array each item is quoted as one argument.
Result<std::string> read_args(const Json& args) {
  const Json* given = arg_member(args, "args");
  if (given == nullptr || given->is_null()) return std::string();
  if (given->is_string()) return given->get<std::string>();
  if (given->is_array()) {
    std::vector<std::string> items;
    for (const Json& item : *given) {
      if (!item.is_string()) break;
      items.push_back(item.get<std::string>());
    }
    if (items.size() == given->size()) return join_command_line(items);
  }
  return invalid_request("launchApp args must be a string or an array of strings");
}

std::int64_t read_wait(const Json& args) {
  std::optional<double> wait = arg_f64(args, "waitMs");
  if (!wait) return kDefaultLaunchWaitMs;
  // Clamped as a number first: a huge value must not overflow the conversion.
  return static_cast<std::int64_t>(
      std::clamp(std::trunc(*wait), 0.0, static_cast<double>(kMaxLaunchWaitMs)));
}

Result<LaunchRequest> read_request(const Json& args) {
  std::optional<std::string> path = arg_string(args, "path");
  std::optional<std::string> command = arg_string(args, "command");
  if (path && command) return invalid_request("launchApp takes path or command, not both");
  if ((!path || path->empty()) && (!command || command->empty())) {
    return invalid_request("launchApp requires path or command");
  }
  auto extra = read_args(args);
  if (!extra) return extra.take_error();
  const Json* listed = arg_member(args, "args");
  if (listed && listed->is_array() && !listed->empty() &&
      names_batch_file(path ? *path : *command, !path)) {
    return invalid_request(
        "launchApp cannot pass an array of args to a batch file: the command interpreter reads "
        "them again as a command line, so quoting cannot keep them apart; give the whole line "
        "as command");
  }
  std::string cwd = arg_string(args, "cwd").value_or(std::string());
  if (has_nul(path.value_or("")) || has_nul(command.value_or("")) || has_nul(*extra) ||
      has_nul(cwd)) {
    return invalid_request("launchApp arguments must not contain NUL characters");
  }

  LaunchRequest request;
  if (path) {
    request = route_path(*path);
    if (request.target.empty()) {
      return invalid_request("launchApp needs an AppUserModelID after shell:AppsFolder\\");
    }
    request.args = std::move(*extra);
  } else {
    request.route = LaunchRoute::Command;
    request.target = *command;
    if (!extra->empty()) request.target += " " + *extra;
  }
  if (arg_bool(args, "webAccessibility").value_or(false)) {
    // Chromium and Electron build the UI Automation tree of their web content
    // late, and in part, unless told at start; the switch goes to the program
    // only, never to a document's or URL's handler.
    if (request.route == LaunchRoute::Shell && !names_program(request.target)) {
      return invalid_request(
          "launchApp webAccessibility applies to a program (an .exe, a command line or a "
          "packaged app), not to a document, folder or URL");
    }
    std::string& line = request.route == LaunchRoute::Command ? request.target : request.args;
    line += line.empty() ? kWebAccessibilitySwitch : " " + std::string(kWebAccessibilitySwitch);
  }
  request.cwd = std::move(cwd);
  request.wait_ms = read_wait(args);
  return request;
}

HelperError launch_error(const std::string& shown, const LaunchError& error) {
  const std::string prefix = "Cannot launch '" + shown + "': ";
  switch (error.kind) {
    case LaunchFailure::NotFound:
      return target_not_found(prefix + "no such file or program");
    case LaunchFailure::AccessDenied:
      return HelperError{ErrorCode::CaptureFailed, prefix + "access is denied"};
    case LaunchFailure::ElevationRequired:
      return HelperError{ErrorCode::CaptureFailed,
                         prefix + "it requires elevation, and an elevated process would be "
                                  "beyond the helper's reach; nothing was started"};
    case LaunchFailure::ElevationDeclined:
      return HelperError{ErrorCode::CaptureFailed,
                         prefix + "the elevation prompt was declined; nothing was started"};
    case LaunchFailure::AmbiguousProgram:
      return invalid_request(prefix +
                             "the program's path has blanks and no quotes, and more than one "
                             "reading of it names a program; quote the program");
    case LaunchFailure::Other:
      break;
  }
  return internal_error(prefix + (error.platform_text.empty() ? "the system refused"
                                                              : error.platform_text));
}

// The launched program's window, looked for at each poll.
class LaunchPoll final : public PolledCommand {
 public:
  LaunchPoll(LaunchWatch watch, std::int64_t started, std::int64_t deadline)
      : watch_(std::move(watch)), started_(started), deadline_(deadline) {}

  std::optional<PollProgress> progress(std::int64_t now_ms) const override {
    return PollProgress::between(started_, deadline_, now_ms);
  }

  PollStep poll(CommandContext& ctx) override {
    LaunchLook look = look_for_launched_window(ctx, watch_, deadline_);
    if (!look.outcome) return PollStep::again(look.again_in_ms);
    auto& window = *look.outcome;
    if (!window) return PollStep::done(window.take_error());
    Json result = Json::object();
    result["pid"] = watch_.root_pid ? Json(*watch_.root_pid) : Json(nullptr);
    result["timedOut"] = !window->has_value();
    result["window"] = window->has_value() ? window_record_json(**window) : Json(nullptr);
    return PollStep::done(std::move(result));
  }

 private:
  LaunchWatch watch_;
  std::int64_t started_;
  std::int64_t deadline_;
};

}  // namespace

PolledStart start_launch_app(const Json& args, CommandContext& ctx) {
  auto request = read_request(args);
  if (!request) return request.take_error();
  if (ctx.platform.processes == nullptr) return port_unavailable(PlatformPort::Processes);
  if (ctx.platform.windows == nullptr) return port_unavailable(PlatformPort::Windows);
  const std::string shown =
      arg_string(args, "path").value_or(arg_string(args, "command").value_or(""));

  LaunchWatch watch;
  watch.existing = existing_windows(*ctx.platform.windows);
  LaunchResult started = start_launch(*ctx.platform.processes, *request);
  if (!started) return launch_error(shown, started.error());
  watch.root_pid = started->pid;
  watch.root_created = started->created;
  // Elevated through a prompt, the process takes no input from the helper
  // and hides its elements.
  if (started->pid && process_runs_higher(*ctx.platform.windows, *started->pid)) {
    return HelperError{ErrorCode::CaptureFailed,
                       "'" + shown + "' started elevated as process " +
                           std::to_string(*started->pid) +
                           ": it runs with higher privileges than the helper, so its windows "
                           "are beyond reach"};
  }

  const std::int64_t now = ctx.platform.clock.now_ms();
  return std::unique_ptr<PolledCommand>(
      std::make_unique<LaunchPoll>(std::move(watch), now, now + request->wait_ms));
}

Result<Json> launch_app_command(const Json& args, CommandContext& ctx) {
  return poll_to_answer(start_launch_app(args, ctx), ctx);
}

}  // namespace winhelper
