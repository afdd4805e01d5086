#include "process/win32/win32_process_launcher.h"

#include <windows.h>

#include <shellapi.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include "common/text.h"
#include "common/win32/com_owners.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
#include "process/launch_request.h"

namespace winhelper {

namespace {

using win32::UniqueHandle;

// {45BA127D-10A8-46EA-8AB7-56EA9078943C}; the SDK's headers name it, mingw's do not.
constexpr CLSID kApplicationActivationManager = {
    0x45ba127d, 0x10a8, 0x46ea, {0x8a, 0xb7, 0x56, 0xea, 0x90, 0x78, 0x94, 0x3c}};

std::wstring wide(const std::string& text) {
  std::u16string converted = utf8_to_utf16(text);
  return std::wstring(converted.begin(), converted.end());
}

const wchar_t* or_null(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

LaunchError failure(DWORD code, std::string text) {
  return LaunchError{launch_failure_of(code), std::move(text)};
}

LaunchError last_failure() {
  const DWORD code = GetLastError();
  return failure(code, last_error_text());
}

std::uint64_t creation_time(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (process == nullptr || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::uint64_t creation_time_of(DWORD pid) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  return creation_time(process.get());
}

// The shell and the activation manager want a single-threaded apartment on
// the calling thread; a thread already in another one is used as it is.
win32::UniqueCoUninitialize enter_apartment() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  return win32::UniqueCoUninitialize(SUCCEEDED(hr));
}

// Lets the started application take the foreground, which the system would
// otherwise keep for the application the user works in.
void allow_foreground() { AllowSetForegroundWindow(ASFW_ANY); }

}  // namespace

LaunchResult Win32ProcessLauncher::shell_open(const std::string& path, const std::string& args,
                                              const std::string& cwd) {
  auto apartment = enter_apartment();
  const std::wstring file = wide(path), parameters = wide(args), directory = wide(cwd);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No error dialogs (failures come back as codes), and no return before the
  // start finished: a worker thread runs no message loop.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = file.c_str();
  info.lpParameters = or_null(parameters);
  info.lpDirectory = or_null(directory);
  info.nShow = SW_SHOWNORMAL;
  allow_foreground();
  if (!ShellExecuteExW(&info)) return last_failure();
  UniqueHandle process(info.hProcess);
  StartedProcess started;
  if (process) {
    DWORD pid = GetProcessId(process.get());
    if (pid != 0) started.pid = pid;
    started.created = creation_time(process.get());
  }
  return started;
}

LaunchResult Win32ProcessLauncher::activate_package(const std::string& app_user_model_id,
                                                    const std::string& args) {
  auto apartment = enter_apartment();
  win32::ComPtr<IApplicationActivationManager> manager;
  HRESULT hr = CoCreateInstance(kApplicationActivationManager, nullptr, CLSCTX_LOCAL_SERVER,
                                __uuidof(IApplicationActivationManager), manager.put_void());
  if (FAILED(hr)) return failure(static_cast<DWORD>(hr), com_error_text(hr));
  allow_foreground();
  DWORD pid = 0;
  const std::wstring id = wide(app_user_model_id), arguments = wide(args);
  hr = manager->ActivateApplication(id.c_str(), or_null(arguments), AO_NONE, &pid);
  if (FAILED(hr)) return failure(static_cast<DWORD>(hr), com_error_text(hr));
  StartedProcess started;
  if (pid != 0) {
    started.pid = pid;
    started.created = creation_time_of(pid);
  }
  return started;
}

std::optional<std::string> Win32ProcessLauncher::find_program(const std::string& name,
                                                              const std::string& cwd) {
  // A relative name with a folder in it is taken from the start's folder,
  // as CreateProcessW takes it from its current directory.
  std::wstring file = wide(name);
  const std::wstring directory = wide(cwd);
  bool has_folder = file.find_first_of(L"\\/:") != std::wstring::npos;
  bool absolute = file.size() > 2 && (file[1] == L':' || (file[0] == L'\\' && file[1] == L'\\'));
  if (has_folder && !absolute && !directory.empty()) file = directory + L"\\" + file;
  // SearchPathW looks in the helper's folder, the system folders, the
  // current folder and PATH, and adds ".exe" to a name without extension.
  std::wstring found(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD length = SearchPathW(nullptr, file.c_str(), L".exe", static_cast<DWORD>(found.size()),
                               found.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < found.size()) {
      found.resize(length);
      DWORD attributes = GetFileAttributesW(found.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
      }
      return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(found.data()),
                                               found.size()));
    }
    found.assign(length, L'\0');
  }
  return std::nullopt;
}

LaunchResult Win32ProcessLauncher::create_process(const std::string& program,
                                                  const std::string& command_line,
                                                  const std::string& cwd) {
  // The program is named on its own, so the system never guesses where an
  // unquoted path ends. CreateProcessW may write into the command line, so
  // it gets its own copy.
  const std::wstring application = wide(program);
  std::wstring line = wide(command_line);
  const std::wstring directory = wide(cwd);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  allow_foreground();
  // A console program gets a console of its own rather than the helper's
  // standard streams, which carry the protocol.
  if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                      nullptr,
                      or_null(directory), &startup, &info)) {
    return last_failure();
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  return StartedProcess{info.dwProcessId, creation_time(process.get())};
}

std::vector<ProcessEntry> Win32ProcessLauncher::processes() {
  std::vector<ProcessEntry> table;
  win32::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return table;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    table.push_back({entry.th32ProcessID, entry.th32ParentProcessID,
                     creation_time_of(entry.th32ProcessID)});
  }
  return table;
}

}  // namespace winhelper
