#pragma once
// A launch as the host asked for it, and the route it takes: the shell for
// paths, package activation for shell:AppsFolder\<AppUserModelID>, a direct
// start for command lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "process/process_launcher.h"

namespace winhelper {

inline constexpr std::int64_t kDefaultLaunchWaitMs = 10000;
inline constexpr std::int64_t kMaxLaunchWaitMs = 60000;

enum class LaunchRoute { Shell, Package, Command };

struct LaunchRequest {
  LaunchRoute route = LaunchRoute::Shell;
  // The path, the AppUserModelID, or the whole command line with its
  // arguments.
  std::string target;
  // Arguments for the shell and package routes (already joined).
  std::string args;
  std::string cwd;
  std::int64_t wait_ms = kDefaultLaunchWaitMs;
};

// The route of a path: package activation when it names the shell's
// applications folder, the shell otherwise. Returns the AppUserModelID or the
// path unchanged as the target.
LaunchRequest route_path(const std::string& path);

// One command line from separate arguments, each quoted so that the usual
// command line parsing gives it back unchanged.
std::string join_command_line(const std::vector<std::string>& args);

// Whether a program's path names a batch file, which Windows runs through
// the command interpreter whatever way it is started (trailing dots and
// blanks, which Windows ignores in a name, do not hide it).
bool is_batch_file(std::string_view path);

// The kind of a failed start from the system's error code (a Win32 error, or
// an HRESULT that wraps one).
LaunchFailure launch_failure_of(std::uint32_t system_code);

// The readings of a command line's program, in the order a start tries
// them: a quoted first argument is the program; an unquoted line may end its
// program at any blank ("C:\Program Files\a.exe x" reads as "C:\Program",
// "C:\Program Files\a.exe" and the whole line).
std::vector<std::string> program_readings(std::string_view command_line);

// Starts the request through the port's call for its route. A command
// line's program is looked for under each reading, and the start is refused
// when more than one names a program: an unquoted path must never run
// whatever program sits at a shorter reading of it.
LaunchResult start_launch(ProcessLauncher& launcher, const LaunchRequest& request);

}  // namespace winhelper
