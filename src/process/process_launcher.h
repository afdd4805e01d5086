#pragma once
// Process port: starting programs, documents and packaged applications, and
// the process table that a launch's wait follows from parent to child. The
// adapter only makes the calls; which call a request takes, the wait, and
// every message are decided by the caller.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"

namespace winhelper {

enum class LaunchFailure {
  NotFound,            // no such file, folder or program
  AccessDenied,        // the system refused to open or run it
  ElevationRequired,   // it asks for elevation, which a plain start cannot give
  ElevationDeclined,   // the elevation prompt was cancelled
  // An unquoted program path with blanks that reads as more than one program.
  AmbiguousProgram,
  Other,
};

struct LaunchError {
  LaunchFailure kind = LaunchFailure::Other;
  // The system's text for the failure; empty when it has none.
  std::string platform_text;
};

struct StartedProcess {
  // Absent when the system handed the request to a process that was already
  // running (a document opened by a running application) and named none.
  std::optional<std::uint32_t> pid;
  // Creation time in the process table's units; 0 when unknown.
  std::uint64_t created = 0;
};

struct ProcessEntry {
  std::uint32_t pid = 0;
  std::uint32_t parent_pid = 0;
  // 100 ns units since 1601; 0 when unreadable.
  std::uint64_t created = 0;
};

using LaunchResult = Result<StartedProcess, LaunchError>;

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // The shell's "open" of a program, document, folder or URL: App Paths and
  // file associations apply. `args` and `cwd` may be empty.
  virtual LaunchResult shell_open(const std::string& path, const std::string& args,
                                  const std::string& cwd) = 0;
  // Activation of a packaged application by its AppUserModelID.
  virtual LaunchResult activate_package(const std::string& app_user_model_id,
                                        const std::string& args) = 0;
  // A command line started directly, without a shell: `program` is the file
  // to run (found by find_program), `command_line` what it receives. `cwd`
  // may be empty.
  virtual LaunchResult create_process(const std::string& program, const std::string& command_line,
                                      const std::string& cwd) = 0;
  // The full path of the program `name` as a start would find it (with
  // ".exe" added when it has no extension; a bare name searched for in the
  // system's places and PATH), or nothing when there is none.
  virtual std::optional<std::string> find_program(const std::string& name,
                                                  const std::string& cwd) = 0;
  // Every running process; empty when the table cannot be read.
  virtual std::vector<ProcessEntry> processes() = 0;
};

}  // namespace winhelper
