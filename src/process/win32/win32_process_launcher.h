#pragma once
// The process port on Win32: ShellExecuteEx, the application activation
// manager, CreateProcess and a Toolhelp process snapshot.

#include "process/process_launcher.h"

namespace winhelper {

class Win32ProcessLauncher final : public ProcessLauncher {
 public:
  LaunchResult shell_open(const std::string& path, const std::string& args,
                          const std::string& cwd) override;
  LaunchResult activate_package(const std::string& app_user_model_id,
                                const std::string& args) override;
  LaunchResult create_process(const std::string& program, const std::string& command_line,
                              const std::string& cwd) override;
  std::optional<std::string> find_program(const std::string& name,
                                          const std::string& cwd) override;
  std::vector<ProcessEntry> processes() override;
};

}  // namespace winhelper
