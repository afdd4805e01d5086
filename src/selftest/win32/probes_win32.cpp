#include "selftest/win32/probes_win32.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "clipboard/win32/win32_clipboard.h"
#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
#include "selftest/win32/system_probes_win32.h"
#include "uia/win32/com_uia_client.h"
#include "windows/win32/win32_window_system.h"

namespace winhelper::selftest {

namespace {

// Resolved at run time: wine_get_version exists only under Wine, and
// RtlGetVersion tells the true build where GetVersionExW is told otherwise by
// the executable's manifest.
template <typename Function>
Function ntdll_function(const char* name) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
}

BOOL CALLBACK add_monitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors) {
  reinterpret_cast<std::vector<ScreenRect>*>(monitors)->push_back(
      {rect->left, rect->top, rect->right, rect->bottom});
  return TRUE;
}

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring command_argument(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

class Win32StartedProcess final : public StartedProcess {
 public:
  Win32StartedProcess(std::shared_ptr<win32::UniqueHandle> process, std::uint32_t pid)
      : process_(std::move(process)), pid_(pid) {}
  std::uint32_t pid() override { return pid_; }
  bool wait_exit(std::int64_t ms) override {
    return WaitForSingleObject(process_->get(), static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
  }
  void terminate() override { TerminateProcess(process_->get(), 1); }

 private:
  std::shared_ptr<win32::UniqueHandle> process_;
  std::uint32_t pid_;
};

class Win32Probes final : public Probes {
 public:
  Machine machine() override {
    Machine machine;
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    if (auto get_version = ntdll_function<GetVersion>("RtlGetVersion")) {
      OSVERSIONINFOW info{};
      info.dwOSVersionInfoSize = sizeof info;
      if (get_version(&info) == 0) {
        machine.windows_build = std::to_string(info.dwMajorVersion) + "." +
                                std::to_string(info.dwMinorVersion) + "." +
                                std::to_string(info.dwBuildNumber);
      }
    }
    using WineVersion = const char*(CDECL*)();
    if (auto wine_version = ntdll_function<WineVersion>("wine_get_version")) {
      machine.wine = wine_version();
    }
    machine.dpi = GetDpiForSystem();
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&machine.monitors));
    return machine;
  }

  std::uint32_t open_input_desktop() override {
    HDESK desktop = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (desktop == nullptr) return GetLastError();
    CloseDesktop(desktop);
    return 0;
  }

  std::optional<double> large_block_rounds_us(std::size_t bytes, int count) override {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const double start = now_us();
    for (int round = 0; round < count; ++round) {
      auto* pages = static_cast<volatile char*>(
          VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
      if (pages == nullptr) return std::nullopt;
      for (std::size_t at = 0; at < bytes; at += system.dwPageSize) pages[at] = 1;
      VirtualFree(const_cast<char*>(pages), 0, MEM_RELEASE);
    }
    return now_us() - start;
  }

  double now_us() override {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
  }

  Clock& clock() override { return system_clock(); }
  uia::UiaClient& uia() override { return uia_; }
  WindowSystem& windows() override { return windows_; }
  Clipboard& clipboard() override { return clipboard_; }

  Result<std::unique_ptr<StartedProcess>, StartFailure> start_test_app(
      const std::vector<std::string>& args) override {
    std::wstring program = beside_self(L"winhelper-testapp.exe");
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
      return StartFailure{true, "not found"};
    }
    std::wstring command_line = command_argument(program);
    for (const std::string& arg : args) command_line += L" " + command_argument(wide(arg));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
      return StartFailure{false, last_error_text()};
    }
    CloseHandle(info.hThread);
    auto process = std::make_shared<win32::UniqueHandle>(info.hProcess);
    started_.push_back({process, info.dwProcessId});
    return std::unique_ptr<StartedProcess>(
        std::make_unique<Win32StartedProcess>(process, info.dwProcessId));
  }

  void post_key(WindowHandle window, std::uint32_t virtual_key) override {
    PostMessageW(reinterpret_cast<HWND>(static_cast<std::intptr_t>(window)), WM_KEYDOWN,
                 virtual_key, 1);
  }

  SocketShutdown socket_shutdown(std::int64_t wait_ms) override {
    return probe_socket_shutdown(wait_ms);
  }

  FileAcl private_file_acl() override { return probe_private_file(files_); }

  std::vector<std::string> leftovers() override {
    std::vector<std::string> left;
    for (const auto& [process, pid] : started_) {
      if (WaitForSingleObject(process->get(), 0) == WAIT_TIMEOUT) {
        left.push_back("the test application (process " + std::to_string(pid) + ") still runs");
      }
    }
    for (const std::wstring& path : files_) {
      if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        left.push_back(utf16_to_utf8(std::u16string_view(
                           reinterpret_cast<const char16_t*>(path.c_str()), path.size())) +
                       " was not deleted");
      }
    }
    return left;
  }

 private:
  static std::wstring wide(const std::string& text) {
    const std::u16string utf16 = utf8_to_utf16(text);
    return std::wstring(utf16.begin(), utf16.end());
  }

  static std::wstring beside_self(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
      path.resize(path.size() * 2);
    }
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
  }

  uia::ComUiaClient uia_;
  Win32WindowSystem windows_;
  Win32Clipboard clipboard_;
  std::vector<std::pair<std::shared_ptr<win32::UniqueHandle>, std::uint32_t>> started_;
  std::vector<std::wstring> files_;
};

}  // namespace

std::unique_ptr<Probes> make_win32_probes() { return std::make_unique<Win32Probes>(); }

}  // namespace winhelper::selftest
