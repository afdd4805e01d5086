#include "windows/win32/win32_window_system.h"

#include <windows.h>

#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "windows/win32/window_handle_win32.h"

namespace winhelper {

namespace {

std::string from_wide(const wchar_t* text, int length) {
  if (length < 1) return {};
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length)));
}

BOOL CALLBACK collect_window(HWND window, LPARAM into) {
  reinterpret_cast<std::vector<WindowHandle>*>(into)->push_back(from_hwnd(window));
  return TRUE;
}

class ProcessHandle {
 public:
  explicit ProcessHandle(HANDLE handle) : handle_(handle) {}
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  ~ProcessHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

WindowEnumeration Win32WindowSystem::enumerate_top_level() {
  WindowEnumeration result;
  if (!EnumWindows(collect_window, reinterpret_cast<LPARAM>(&result.handles))) {
    result.failure = last_error_text();
  }
  return result;
}

bool Win32WindowSystem::is_visible(WindowHandle window) {
  return IsWindowVisible(to_hwnd(window)) != 0;
}

bool Win32WindowSystem::is_iconic(WindowHandle window) { return IsIconic(to_hwnd(window)) != 0; }

std::string Win32WindowSystem::title(WindowHandle window) {
  wchar_t buffer[512];
  int length = GetWindowTextW(to_hwnd(window), buffer, 512);
  return from_wide(buffer, length);
}

std::string Win32WindowSystem::class_name(WindowHandle window) {
  wchar_t buffer[256];
  int length = GetClassNameW(to_hwnd(window), buffer, 256);
  return from_wide(buffer, length);
}

std::uint32_t Win32WindowSystem::process_id(WindowHandle window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(to_hwnd(window), &pid);
  return pid;
}

std::string Win32WindowSystem::process_image_path(std::uint32_t pid) {
  ProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (process.get() == nullptr) return {};
  wchar_t buffer[260];
  DWORD size = 260;
  if (!QueryFullProcessImageNameW(process.get(), 0, buffer, &size)) return {};
  return from_wide(buffer, static_cast<int>(size));
}

std::optional<WindowRect> Win32WindowSystem::rect(WindowHandle window) {
  RECT r{};
  if (!GetWindowRect(to_hwnd(window), &r)) return std::nullopt;
  return WindowRect{r.left, r.top, r.right, r.bottom};
}

std::uint32_t Win32WindowSystem::dpi(WindowHandle window) {
  return GetDpiForWindow(to_hwnd(window));
}

WindowHandle Win32WindowSystem::owner(WindowHandle window) {
  return from_hwnd(GetWindow(to_hwnd(window), GW_OWNER));
}

WindowHandle Win32WindowSystem::root_ancestor(WindowHandle window) {
  return from_hwnd(GetAncestor(to_hwnd(window), GA_ROOT));
}

std::uint32_t Win32WindowSystem::ex_style(WindowHandle window) {
  return static_cast<std::uint32_t>(GetWindowLongPtrW(to_hwnd(window), GWL_EXSTYLE));
}

WindowHandle Win32WindowSystem::foreground() { return from_hwnd(GetForegroundWindow()); }

bool Win32WindowSystem::set_foreground(WindowHandle window) {
  return SetForegroundWindow(to_hwnd(window)) != 0;
}

}  // namespace winhelper
