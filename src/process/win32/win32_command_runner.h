#pragma once
// The command port on Win32: anonymous pipes, a kill-on-close job object
// around the started process, CreateProcessW with an explicit handle list.

#include "process/command_runner.h"

namespace winhelper {

class Win32CommandRunner final : public CommandRunner {
 public:
  // Programs are found as the launcher finds them.
  explicit Win32CommandRunner(ProcessLauncher& launcher) : launcher_(launcher) {}

  std::optional<std::string> find_program(const std::string& name,
                                          const std::string& cwd) override {
    return launcher_.find_program(name, cwd);
  }
  bool is_directory(const std::string& path) override;
  std::vector<std::string> environment() override;
  CodePages code_pages() override;
  std::optional<std::string> decode(std::string_view bytes, std::uint32_t code_page) override;
  Result<std::unique_ptr<RunningProcess>, LaunchError> start(const RunSpec& spec) override;

 private:
  ProcessLauncher& launcher_;
};

}  // namespace winhelper
