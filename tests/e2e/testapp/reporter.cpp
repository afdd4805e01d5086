#include "reporter.h"

#include "text_util.h"

namespace testapp {

Reporter::Reporter(std::wstring base_title, const std::wstring& log_path, bool steady_title)
    : base_title_(std::move(base_title)), steady_title_(steady_title) {
  if (log_path.empty()) return;
  log_ = CreateFileW(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log_ == INVALID_HANDLE_VALUE) {
    write_stderr(L"testapp: cannot open the log file " + log_path);
  }
}

Reporter::~Reporter() {
  if (log_ != INVALID_HANDLE_VALUE) CloseHandle(log_);
}

void Reporter::report(const std::wstring& event) {
  if (window_ != nullptr && !steady_title_) {
    const std::wstring title = base_title_ + L" - " + event;
    SetWindowTextW(window_, title.c_str());
  }
  if (log_ != INVALID_HANDLE_VALUE) {
    // Unbuffered: each line reaches the file before the next message is handled.
    const std::string line = to_utf8(event) + "\n";
    DWORD written = 0;
    WriteFile(log_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

}  // namespace testapp
