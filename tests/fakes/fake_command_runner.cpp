#include "fakes/fake_command_runner.h"

#include <algorithm>

#include "common/text.h"

namespace winhelper::fakes {

namespace {

class FakeRunningProcess final : public RunningProcess {
 public:
  FakeRunningProcess(std::shared_ptr<FakeRunState> state, FakeRun script, std::uint32_t pid,
                     std::mutex& mutex)
      : state_(std::move(state)), script_(std::move(script)), pid_(pid), mutex_(mutex) {}
  ~FakeRunningProcess() override {
    std::lock_guard<std::mutex> hold(mutex_);
    state_->destroyed = true;
  }

  std::uint32_t pid() const override { return pid_; }

  bool read(OutputStream stream, std::string& into, std::size_t max_bytes) override {
    std::lock_guard<std::mutex> hold(mutex_);
    if (state_->ended) return false;
    auto& chunks = stream == OutputStream::Out ? script_.out : script_.err;
    std::size_t& at = stream == OutputStream::Out ? out_at_ : err_at_;
    if (at < chunks.size()) {
      into += chunks[at].substr(0, max_bytes);
      chunks[at].erase(0, max_bytes);
      if (chunks[at].empty()) ++at;
      return true;
    }
    if (!exited()) return true;
    if (stream == OutputStream::Out && script_.echo_input && !echoed_) {
      echoed_ = true;
      into += state_->input;
      return true;
    }
    return false;
  }

  std::size_t write_input(std::string_view bytes) override {
    std::lock_guard<std::mutex> hold(mutex_);
    std::size_t taken = std::min(bytes.size(), script_.input_per_write);
    state_->input.append(bytes.substr(0, taken));
    return taken;
  }

  void close_input() override {
    std::lock_guard<std::mutex> hold(mutex_);
    state_->input_closed = true;
  }

  std::optional<std::uint32_t> exit_code() override {
    std::lock_guard<std::mutex> hold(mutex_);
    if (state_->ended) return 1;
    if (!exited()) return std::nullopt;
    return script_.exit_code;
  }

  void end_tree() override {
    std::lock_guard<std::mutex> hold(mutex_);
    state_->ended = true;
  }

 private:
  bool exited() const {
    return script_.exit_code && out_at_ == script_.out.size() && err_at_ == script_.err.size() &&
           (!script_.echo_input || state_->input_closed);
  }

  std::shared_ptr<FakeRunState> state_;
  FakeRun script_;
  std::uint32_t pid_;
  std::mutex& mutex_;
  std::size_t out_at_ = 0, err_at_ = 0;
  bool echoed_ = false;
};

}  // namespace

FakeCommandRunner::FakeCommandRunner() { folders_.insert("C:\\work"); }

void FakeCommandRunner::answer_next(FakeRun run) {
  std::lock_guard<std::mutex> hold(mutex_);
  next_ = std::move(run);
  failure_.reset();
}

void FakeCommandRunner::fail_next(LaunchError error) {
  std::lock_guard<std::mutex> hold(mutex_);
  failure_ = std::move(error);
}

void FakeCommandRunner::add_folder(std::string path) {
  std::lock_guard<std::mutex> hold(mutex_);
  folders_.insert(std::move(path));
}

void FakeCommandRunner::remove_program(std::string name) {
  std::lock_guard<std::mutex> hold(mutex_);
  missing_.insert(std::move(name));
}

void FakeCommandRunner::set_code_pages(CodePages pages) {
  std::lock_guard<std::mutex> hold(mutex_);
  pages_ = pages;
}

void FakeCommandRunner::reject_code_page(std::uint32_t page) {
  std::lock_guard<std::mutex> hold(mutex_);
  rejected_.insert(page);
}

std::vector<std::shared_ptr<const FakeRunState>> FakeCommandRunner::runs() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return {runs_.begin(), runs_.end()};
}

std::optional<std::string> FakeCommandRunner::find_program(const std::string& name,
                                                           const std::string&) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (missing_.count(name)) return std::nullopt;
  return name.find('\\') == std::string::npos ? "C:\\Windows\\System32\\" + name : name;
}

bool FakeCommandRunner::is_directory(const std::string& path) {
  std::lock_guard<std::mutex> hold(mutex_);
  return folders_.count(path) > 0;
}

std::vector<std::string> FakeCommandRunner::environment() {
  return {"=C:=C:\\work", "Path=C:\\Windows", "TEMP=C:\\Temp"};
}

CodePages FakeCommandRunner::code_pages() {
  std::lock_guard<std::mutex> hold(mutex_);
  return pages_;
}

std::optional<std::string> FakeCommandRunner::decode(std::string_view bytes,
                                                     std::uint32_t code_page) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (rejected_.count(code_page)) return std::nullopt;
  }
  std::string out;
  for (char c : bytes) append_utf8(out, static_cast<unsigned char>(c));
  return out;
}

Result<std::unique_ptr<RunningProcess>, LaunchError> FakeCommandRunner::start(const RunSpec& spec) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (failure_) return *std::exchange(failure_, std::nullopt);
  auto state = std::make_shared<FakeRunState>();
  state->spec = spec;
  runs_.push_back(state);
  return std::unique_ptr<RunningProcess>(std::make_unique<FakeRunningProcess>(
      state, std::exchange(next_, FakeRun{}), static_cast<std::uint32_t>(700 + runs_.size()),
      mutex_));
}

}  // namespace winhelper::fakes
