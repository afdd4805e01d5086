#pragma once
// The fake desktop's command runner: each start is recorded and runs a
// scripted process that hands out its output one chunk per read. Thread-safe.

#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "process/command_runner.h"

namespace winhelper::fakes {

struct FakeRun {
  std::vector<std::string> out, err;  // one chunk per read
  // The exit code once every chunk was read (and, when echoing, the input
  // closed); none: it runs until its tree is ended.
  std::optional<std::uint32_t> exit_code = 0;
  // Writes its whole input to stdout once the input is closed.
  bool echo_input = false;
  // How much of the input one write takes, as a full pipe would.
  std::size_t input_per_write = std::numeric_limits<std::size_t>::max();
};

// What became of one started process.
struct FakeRunState {
  RunSpec spec;
  std::string input;
  bool input_closed = false;
  bool ended = false;      // its tree was ended
  bool destroyed = false;  // the helper let go of it
};

class FakeCommandRunner final : public CommandRunner {
 public:
  FakeCommandRunner();
  void answer_next(FakeRun run);
  void fail_next(LaunchError error);
  void add_folder(std::string path);
  // find_program finds every name except these.
  void remove_program(std::string name);
  void set_code_pages(CodePages pages);
  // Code pages in which decode fails; every other one reads bytes as Latin-1.
  void reject_code_page(std::uint32_t page);
  // Every start, oldest first.
  std::vector<std::shared_ptr<const FakeRunState>> runs() const;

  std::optional<std::string> find_program(const std::string& name,
                                          const std::string& cwd) override;
  bool is_directory(const std::string& path) override;
  std::vector<std::string> environment() override;
  CodePages code_pages() override;
  std::optional<std::string> decode(std::string_view bytes, std::uint32_t code_page) override;
  Result<std::unique_ptr<RunningProcess>, LaunchError> start(const RunSpec& spec) override;

 private:
  mutable std::mutex mutex_;
  FakeRun next_;
  std::optional<LaunchError> failure_;
  std::set<std::string> folders_, missing_;
  std::set<std::uint32_t> rejected_;
  CodePages pages_{850, 437};
  std::vector<std::shared_ptr<FakeRunState>> runs_;
};

}  // namespace winhelper::fakes
