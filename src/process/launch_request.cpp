#include "process/launch_request.h"

#include "common/lowercase.h"

namespace winhelper {

namespace {

constexpr std::string_view kAppsFolder = "shell:appsfolder\\";

// Backslashes are literal unless they precede a quote; those before a quote,
// and before the closing quote, are doubled.
std::string quote_argument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') backslashes = backslashes * 2 + 1;
    out.append(backslashes, '\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, '\\');
  out.push_back('"');
  return out;
}

}  // namespace

LaunchRequest route_path(const std::string& path) {
  LaunchRequest request;
  if (path.size() >= kAppsFolder.size() &&
      to_lower_ascii(std::string_view(path).substr(0, kAppsFolder.size())) == kAppsFolder) {
    request.route = LaunchRoute::Package;
    request.target = path.substr(kAppsFolder.size());
  } else {
    request.route = LaunchRoute::Shell;
    request.target = path;
  }
  return request;
}

std::string join_command_line(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line.push_back(' ');
    line += quote_argument(arg);
  }
  return line;
}

bool is_batch_file(std::string_view path) {
  while (!path.empty() && (path.back() == ' ' || path.back() == '.')) path.remove_suffix(1);
  std::string name = to_lower_ascii(path);
  return name.ends_with(".bat") || name.ends_with(".cmd");
}

LaunchFailure launch_failure_of(std::uint32_t system_code) {
  // HRESULTs of facility Win32 carry the error in their low word.
  if ((system_code & 0xFFFF0000u) == 0x80070000u) system_code &= 0xFFFFu;
  switch (system_code) {
    case 2:    // ERROR_FILE_NOT_FOUND
    case 3:    // ERROR_PATH_NOT_FOUND
    case 53:   // ERROR_BAD_NETPATH
    case 123:  // ERROR_INVALID_NAME
      return LaunchFailure::NotFound;
    case 5:  // ERROR_ACCESS_DENIED
      return LaunchFailure::AccessDenied;
    case 740:  // ERROR_ELEVATION_REQUIRED
      return LaunchFailure::ElevationRequired;
    case 1223:  // ERROR_CANCELLED: the elevation prompt was dismissed
      return LaunchFailure::ElevationDeclined;
    default:
      return LaunchFailure::Other;
  }
}

std::vector<std::string> program_readings(std::string_view line) {
  if (!line.empty() && line.front() == '"') {
    std::size_t close = line.find('"', 1);
    return {std::string(line.substr(1, close == std::string_view::npos ? close : close - 1))};
  }
  std::vector<std::string> readings;
  for (std::size_t at = line.find_first_of(" \t"); at != std::string_view::npos;
       at = line.find_first_of(" \t", at + 1)) {
    if (at > 0 && line[at - 1] != ' ' && line[at - 1] != '\t') {
      readings.emplace_back(line.substr(0, at));
    }
  }
  std::size_t end = line.find_last_not_of(" \t");
  if (end != std::string_view::npos) readings.emplace_back(line.substr(0, end + 1));
  return readings;
}

namespace {

LaunchResult start_command(ProcessLauncher& launcher, const LaunchRequest& request) {
  std::optional<std::string> program;
  for (const std::string& reading : program_readings(request.target)) {
    std::optional<std::string> found = launcher.find_program(reading, request.cwd);
    if (!found || found == program) continue;
    if (program) return LaunchError{LaunchFailure::AmbiguousProgram, {}};
    program = std::move(found);
  }
  if (!program) return LaunchError{LaunchFailure::NotFound, {}};
  return launcher.create_process(*program, request.target, request.cwd);
}

}  // namespace

LaunchResult start_launch(ProcessLauncher& launcher, const LaunchRequest& request) {
  switch (request.route) {
    case LaunchRoute::Package:
      return launcher.activate_package(request.target, request.args);
    case LaunchRoute::Command:
      return start_command(launcher, request);
    case LaunchRoute::Shell:
      break;
  }
  return launcher.shell_open(request.target, request.args, request.cwd);
}

}  // namespace winhelper
