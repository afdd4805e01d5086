#include "fakes/fake_processes.h"

namespace winhelper::fakes {

void FakeProcesses::answer_next(LaunchResult outcome) {
  std::lock_guard<std::mutex> hold(mutex_);
  next_ = std::move(outcome);
}

void FakeProcesses::add_process(ProcessEntry entry) {
  std::lock_guard<std::mutex> hold(mutex_);
  table_.push_back(entry);
}

std::vector<std::string> FakeProcesses::starts() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return starts_;
}

LaunchResult FakeProcesses::start(std::string call) {
  std::lock_guard<std::mutex> hold(mutex_);
  starts_.push_back(std::move(call));
  if (next_ && next_->pid) table_.push_back({*next_->pid, 1, next_->created});
  return next_;
}

LaunchResult FakeProcesses::shell_open(const std::string& path, const std::string& args,
                                       const std::string& cwd) {
  return start("shell " + path + " | " + args + " | " + cwd);
}

LaunchResult FakeProcesses::activate_package(const std::string& app_user_model_id,
                                             const std::string& args) {
  return start("package " + app_user_model_id + " | " + args);
}

LaunchResult FakeProcesses::create_process(const std::string& program,
                                           const std::string& command_line,
                                           const std::string& cwd) {
  return start("command " + program + " <- " + command_line + " | " + cwd);
}

void FakeProcesses::add_program(std::string name) {
  std::lock_guard<std::mutex> hold(mutex_);
  programs_.push_back(std::move(name));
}

std::optional<std::string> FakeProcesses::find_program(const std::string& name,
                                                       const std::string&) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (programs_.empty()) {
    if (name.find(' ') == std::string::npos) return name;
    return std::nullopt;
  }
  for (const std::string& program : programs_) {
    if (program == name) return program;
  }
  return std::nullopt;
}

std::vector<ProcessEntry> FakeProcesses::processes() {
  std::lock_guard<std::mutex> hold(mutex_);
  return table_;
}

void FakeClipboard::set_text(std::optional<std::string> text) {
  std::lock_guard<std::mutex> hold(mutex_);
  text_ = std::move(text);
}

std::optional<std::string> FakeClipboard::text() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return text_;
}

void FakeClipboard::hold_for(int attempts) {
  std::lock_guard<std::mutex> hold(mutex_);
  busy_ = attempts;
}

void FakeClipboard::fail_with(std::optional<std::string> platform_text) {
  std::lock_guard<std::mutex> hold(mutex_);
  failure_ = std::move(platform_text);
}

int FakeClipboard::attempts() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return attempts_;
}

std::optional<ClipboardError> FakeClipboard::refusal() {
  ++attempts_;
  if (busy_ > 0) {
    --busy_;
    return ClipboardError{ClipboardFailure::Busy, "held"};
  }
  if (failure_) return ClipboardError{ClipboardFailure::Failed, *failure_};
  return std::nullopt;
}

Result<std::optional<std::string>, ClipboardError> FakeClipboard::read_text() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (auto refused = refusal()) return *refused;
  return text_;
}

Result<Unit, ClipboardError> FakeClipboard::write_text(const std::string& text) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (auto refused = refusal()) return *refused;
  text_ = text;
  return ok_status();
}

}  // namespace winhelper::fakes
