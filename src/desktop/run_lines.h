#pragma once
// What runCommand hands to the system: the program, its command line, and
// the environment. No shell sees a program's arguments; a shell's line is
// passed as that shell's one documented command argument.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "process/output_capture.h"

namespace winhelper {

enum class Shell { Cmd, PowerShell };

std::optional<Shell> shell_named(std::string_view name);

struct Invocation {
  // The program to look for (a name, or a path as given).
  std::string program;
  // argv[0] and the rest, quoted as the program's runtime splits them.
  std::string command_line;
  StreamForm output = StreamForm::Bytes;
};

// The program with each argument quoted so that it receives them unchanged.
Invocation direct_invocation(const std::string& program, const std::vector<std::string>& args);

// The shell given `line` to run:
// - cmd.exe /d /u /s /c "<line>": no AutoRun commands, its own output as
//   UTF-16, and the line after /c taken as it stands (/s drops only the
//   outer quotes);
// - powershell.exe with the line as -EncodedCommand (Base64 of UTF-16LE),
//   so that no quoting stands between the caller and PowerShell, preceded by
//   statements that make it write UTF-8 to the pipes.
Invocation shell_invocation(Shell shell, const std::string& line);

// The helper's environment with `additions` set: a name already there
// (compared without regard to case, as Windows does) takes the new value.
std::vector<std::string> merged_environment(
    const std::vector<std::string>& current,
    const std::vector<std::pair<std::string, std::string>>& additions);

}  // namespace winhelper
