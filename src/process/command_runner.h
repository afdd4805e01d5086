#pragma once
// Command port: running a program with its standard streams on pipes, the
// whole process tree held so that it can be ended at once. The adapter only
// makes the calls and never waits: reads, writes and the exit check return
// at once, so a command is pumped by short polls that hold no thread. Which
// program runs, with what line, how output is decoded and bounded, and every
// message are decided by the caller.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "process/process_launcher.h"

namespace winhelper {

struct RunSpec {
  // The full path of the program (from find_program), and the line it gets.
  std::string program;
  std::string command_line;
  // Empty: the helper's own folder.
  std::string cwd;
  // The child's whole environment as "NAME=value" entries, in the order to pass.
  std::vector<std::string> environment;
};

enum class OutputStream { Out, Err };

// One started command and its process tree. Destroying it ends whatever of
// the tree still runs and closes the pipes.
class RunningProcess {
 public:
  virtual ~RunningProcess() = default;
  virtual std::uint32_t pid() const = 0;
  // Appends at most `max_bytes` of what the stream holds now, without
  // waiting. False once the stream has ended (every writer closed it).
  virtual bool read(OutputStream stream, std::string& into, std::size_t max_bytes) = 0;
  // Writes as much of `bytes` as the pipe takes now; the count written.
  virtual std::size_t write_input(std::string_view bytes) = 0;
  // The child reads end of input after what was written.
  virtual void close_input() = 0;
  // The exit code of the started process once it has ended.
  virtual std::optional<std::uint32_t> exit_code() = 0;
  // Ends the started process and every process it started.
  virtual void end_tree() = 0;
};

// The console code pages output bytes may be in; 0 when there is none.
struct CodePages {
  std::uint32_t console_output = 0;
  std::uint32_t oem = 0;
};

class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  // As ProcessLauncher::find_program.
  virtual std::optional<std::string> find_program(const std::string& name,
                                                  const std::string& cwd) = 0;
  virtual bool is_directory(const std::string& path) = 0;
  // The helper's environment as "NAME=value" entries.
  virtual std::vector<std::string> environment() = 0;
  virtual CodePages code_pages() = 0;
  // `bytes` in `code_page` as UTF-8; nothing when they are not valid there.
  virtual std::optional<std::string> decode(std::string_view bytes, std::uint32_t code_page) = 0;
  // Starts the program without a window, its standard streams on fresh
  // pipes and nothing else of the helper's inherited.
  virtual Result<std::unique_ptr<RunningProcess>, LaunchError> start(const RunSpec& spec) = 0;
};

}  // namespace winhelper
