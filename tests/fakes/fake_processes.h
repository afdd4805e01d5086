#pragma once
// The fake desktop's process table and launcher: each start is recorded and
// answered by a scripted outcome; a hook lets a test open windows or start
// child processes as the launch goes on. Thread-safe.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "clipboard/clipboard.h"
#include "process/process_launcher.h"

namespace winhelper::fakes {

class FakeProcesses final : public ProcessLauncher {
 public:
  // The next start's outcome (a started process by default: pid 500).
  void answer_next(LaunchResult outcome);
  void add_process(ProcessEntry entry);
  // Starts as "shell <path> | <args> | <cwd>", "package <aumid> | <args>",
  // "command <program> <- <line> | <cwd>".
  std::vector<std::string> starts() const;
  // Programs find_program finds; until one is added, every name without a
  // blank is found as itself.
  void add_program(std::string name);

  LaunchResult shell_open(const std::string& path, const std::string& args,
                          const std::string& cwd) override;
  LaunchResult activate_package(const std::string& app_user_model_id,
                                const std::string& args) override;
  LaunchResult create_process(const std::string& program, const std::string& command_line,
                              const std::string& cwd) override;
  std::optional<std::string> find_program(const std::string& name,
                                          const std::string& cwd) override;
  std::vector<ProcessEntry> processes() override;

 private:
  LaunchResult start(std::string call);

  mutable std::mutex mutex_;
  LaunchResult next_ = StartedProcess{500, 1000};
  std::vector<ProcessEntry> table_;
  std::vector<std::string> starts_;
  std::vector<std::string> programs_;
};

// Holds optional text; can be made busy for a number of attempts or fail.
class FakeClipboard final : public Clipboard {
 public:
  void set_text(std::optional<std::string> text);
  std::optional<std::string> text() const;
  // The next `attempts` calls find the clipboard held by another application.
  void hold_for(int attempts);
  void fail_with(std::optional<std::string> platform_text);
  int attempts() const;

  Result<std::optional<std::string>, ClipboardError> read_text() override;
  Result<Unit, ClipboardError> write_text(const std::string& text) override;

 private:
  std::optional<ClipboardError> refusal();

  mutable std::mutex mutex_;
  std::optional<std::string> text_;
  int busy_ = 0;
  int attempts_ = 0;
  std::optional<std::string> failure_;
};

}  // namespace winhelper::fakes
