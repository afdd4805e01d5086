#include "process/win32/win32_command_runner.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
#include "process/launch_request.h"

namespace winhelper {

namespace {

using win32::UniqueHandle;

// Output pipes hold this much before a writing child waits for a read.
constexpr DWORD kOutputPipeBytes = 1 << 20;
constexpr DWORD kInputPipeBytes = 1 << 16;

std::wstring wide(const std::string& text) {
  std::u16string converted = utf8_to_utf16(text);
  return std::wstring(converted.begin(), converted.end());
}

std::string narrow(const wchar_t* text, std::size_t length) {
  return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

LaunchError last_failure(const char* step) {
  const DWORD code = GetLastError();
  return LaunchError{launch_failure_of(code), std::string(step) + ": " + last_error_text()};
}

// A pipe whose `parent` end stays with the helper; only the `child` end may
// be inherited, and only through the handle list of one start.
struct Pipe {
  UniqueHandle parent;
  UniqueHandle child;
};

bool make_pipe(Pipe& pipe, bool child_reads, DWORD bytes) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inheritable, bytes)) return false;
  pipe.parent.reset(child_reads ? write : read);
  pipe.child.reset(child_reads ? read : write);
  return SetHandleInformation(pipe.parent.get(), HANDLE_FLAG_INHERIT, 0) != 0;
}

class ThreadAttributes {
 public:
  // The handle list names what the child inherits: nothing but its pipes,
  // even while another thread starts a process with inheritable handles.
  bool init(HANDLE* handles, std::size_t count) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!InitializeProcThreadAttributeList(list_, 1, 0, &size)) {
      list_ = nullptr;
      return false;
    }
    return UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                     count * sizeof(HANDLE), nullptr, nullptr) != 0;
  }
  ~ThreadAttributes() {
    if (list_) DeleteProcThreadAttributeList(list_);
  }
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

 private:
  std::vector<unsigned char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

class Win32RunningProcess final : public RunningProcess {
 public:
  Win32RunningProcess(UniqueHandle job, UniqueHandle process, DWORD pid, UniqueHandle input,
                      UniqueHandle out, UniqueHandle err)
      : job_(std::move(job)),
        process_(std::move(process)),
        pid_(pid),
        input_(std::move(input)),
        out_(std::move(out)),
        err_(std::move(err)) {}

  ~Win32RunningProcess() override { end_tree(); }

  std::uint32_t pid() const override { return pid_; }

  bool read(OutputStream stream, std::string& into, std::size_t max_bytes) override {
    HANDLE pipe = (stream == OutputStream::Out ? out_ : err_).get();
    DWORD available = 0;
    // Fails once every writer closed the pipe and it is empty.
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) return true;
    const std::size_t start = into.size();
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(available, max_bytes));
    into.resize(start + wanted);
    DWORD got = 0;
    const bool ok = ReadFile(pipe, into.data() + start, wanted, &got, nullptr) != 0;
    into.resize(start + got);
    return ok;
  }

  std::size_t write_input(std::string_view bytes) override {
    if (!input_) return bytes.size();
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kInputPipeBytes));
    if (!WriteFile(input_.get(), bytes.data(), chunk, &written, nullptr)) {
      // The child closed its input (or ended): nothing more can reach it.
      input_.reset();
      return bytes.size();
    }
    return written;
  }

  void close_input() override { input_.reset(); }

  std::optional<std::uint32_t> exit_code() override {
    if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
  }

  void end_tree() override {
    if (job_) TerminateJobObject(job_.get(), 1);
  }

 private:
  UniqueHandle job_;
  UniqueHandle process_;
  DWORD pid_;
  UniqueHandle input_, out_, err_;
};

}  // namespace

bool Win32CommandRunner::is_directory(const std::string& path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> Win32CommandRunner::environment() {
  std::vector<std::string> entries;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return entries;
  for (const wchar_t* at = block; *at != L'\0';) {
    std::size_t length = wcslen(at);
    entries.push_back(narrow(at, length));
    at += length + 1;
  }
  FreeEnvironmentStringsW(block);
  return entries;
}

CodePages Win32CommandRunner::code_pages() { return {GetConsoleOutputCP(), GetOEMCP()}; }

std::optional<std::string> Win32CommandRunner::decode(std::string_view bytes,
                                                      std::uint32_t code_page) {
  if (bytes.empty()) return std::string();
  const int size = static_cast<int>(bytes.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int length = MultiByteToWideChar(code_page, flags, bytes.data(), size, nullptr, 0);
  // Some code pages take no flags at all.
  if (length == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    length = MultiByteToWideChar(code_page, flags, bytes.data(), size, nullptr, 0);
  }
  if (length == 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(code_page, flags, bytes.data(), size, text.data(), length) == 0) {
    return std::nullopt;
  }
  return narrow(text.data(), text.size());
}

Result<std::unique_ptr<RunningProcess>, LaunchError> Win32CommandRunner::start(
    const RunSpec& spec) {
  Pipe input, out, err;
  if (!make_pipe(input, /*child_reads=*/true, kInputPipeBytes) ||
      !make_pipe(out, false, kOutputPipeBytes) || !make_pipe(err, false, kOutputPipeBytes)) {
    return last_failure("CreatePipe");
  }
  // The helper never waits on the child's input: a write takes what fits.
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  if (!SetNamedPipeHandleState(input.parent.get(), &mode, nullptr, nullptr)) {
    return last_failure("SetNamedPipeHandleState");
  }

  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return last_failure("CreateJobObjectW");
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  // Closing the job's last handle (the answer, or the helper's exit, even a
  // crash) ends every process in it.
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                               sizeof limits)) {
    return last_failure("SetInformationJobObject");
  }

  HANDLE inherited[] = {input.child.get(), out.child.get(), err.child.get()};
  ThreadAttributes attributes;
  if (!attributes.init(inherited, std::size(inherited))) {
    return last_failure("UpdateProcThreadAttribute");
  }
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = input.child.get();
  startup.StartupInfo.hStdOutput = out.child.get();
  startup.StartupInfo.hStdError = err.child.get();
  startup.lpAttributeList = attributes.get();

  std::wstring block;
  for (const std::string& entry : spec.environment) {
    block += wide(entry);
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  const std::wstring application = wide(spec.program);
  std::wstring line = wide(spec.command_line);
  const std::wstring directory = wide(spec.cwd);
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so that nothing it starts escapes.
  const DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                      EXTENDED_STARTUPINFO_PRESENT;
  if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE, flags,
                      block.data(), directory.empty() ? nullptr : directory.c_str(),
                      &startup.StartupInfo, &info)) {
    return last_failure("CreateProcessW");
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (!AssignProcessToJobObject(job.get(), process.get())) {
    LaunchError error = last_failure("AssignProcessToJobObject");
    TerminateProcess(process.get(), 1);
    return error;
  }
  if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
    LaunchError error = last_failure("ResumeThread");
    TerminateJobObject(job.get(), 1);
    return error;
  }
  // The child's ends close here, so that a pipe ends when the tree does.
  return std::unique_ptr<RunningProcess>(std::make_unique<Win32RunningProcess>(
      std::move(job), std::move(process), info.dwProcessId, std::move(input.parent),
      std::move(out.parent), std::move(err.parent)));
}

}  // namespace winhelper
