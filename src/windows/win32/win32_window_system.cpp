#include "windows/win32/win32_window_system.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
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

using win32::UniqueHandle;

// The token of a process opened for queries; empty when it cannot be had.
UniqueHandle open_query_token(HANDLE process) {
  HANDLE token = nullptr;
  if (process == nullptr || !OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  return UniqueHandle(token);
}

std::optional<std::uint32_t> token_integrity(HANDLE token) {
  if (token == nullptr) return std::nullopt;
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  if (size < sizeof(TOKEN_MANDATORY_LABEL)) return std::nullopt;
  std::vector<std::uint64_t> buffer((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return std::nullopt;
  PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  if (sid == nullptr || !IsValidSid(sid)) return std::nullopt;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return std::nullopt;
  return static_cast<std::uint32_t>(*GetSidSubAuthority(sid, count - 1u));
}

std::optional<std::string> desktop_name(HDESK desktop) {
  wchar_t buffer[256];
  DWORD needed = 0;
  if (desktop == nullptr || !GetUserObjectInformationW(desktop, UOI_NAME, buffer, sizeof buffer, &needed)) {
    return std::nullopt;
  }
  buffer[255] = L'\0';
  return from_wide(buffer, static_cast<int>(wcslen(buffer)));
}

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

bool Win32WindowSystem::is_maximized(WindowHandle window) {
  return IsZoomed(to_hwnd(window)) != 0;
}

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
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  wchar_t buffer[260];
  DWORD size = 260;
  if (!QueryFullProcessImageNameW(process.get(), 0, buffer, &size)) return {};
  return from_wide(buffer, static_cast<int>(size));
}

std::optional<ScreenRect> Win32WindowSystem::rect(WindowHandle window) {
  RECT r{};
  if (!GetWindowRect(to_hwnd(window), &r)) return std::nullopt;
  return ScreenRect{r.left, r.top, r.right, r.bottom};
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

std::optional<std::uint32_t> Win32WindowSystem::process_integrity(std::uint32_t pid) {
  // Limited query access is granted on processes of any integrity level.
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  UniqueHandle token = open_query_token(process.get());
  return token_integrity(token.get());
}

HelperPrivilege Win32WindowSystem::own_privilege() {
  HelperPrivilege privilege;
  UniqueHandle token = open_query_token(GetCurrentProcess());
  privilege.integrity = token_integrity(token.get());
  DWORD ui_access = 0;
  DWORD size = 0;
  if (token &&
      GetTokenInformation(token.get(), TokenUIAccess, &ui_access, sizeof ui_access, &size)) {
    privilege.ui_access = ui_access != 0;
  }
  return privilege;
}

bool Win32WindowSystem::is_hung(WindowHandle window) { return IsHungAppWindow(to_hwnd(window)) != 0; }

bool Win32WindowSystem::answers_within(WindowHandle window, std::uint32_t timeout_ms) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(to_hwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms,
                             &answer) != 0;
}

InputDesktop Win32WindowSystem::input_desktop() {
  InputDesktop desktop;
  win32::UniqueDesktop input(OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
  if (!input) {
    desktop.access_denied = GetLastError() == ERROR_ACCESS_DENIED;
  } else {
    desktop.name = desktop_name(input.get());
  }
  // The thread's own desktop handle is not closed: it belongs to the thread.
  desktop.own = desktop_name(GetThreadDesktop(GetCurrentThreadId())).value_or(std::string());
  return desktop;
}

std::uint32_t Win32WindowSystem::window_thread(WindowHandle window) {
  return GetWindowThreadProcessId(to_hwnd(window), nullptr);
}

std::uint32_t Win32WindowSystem::current_thread() { return GetCurrentThreadId(); }

bool Win32WindowSystem::attach_input(std::uint32_t thread, std::uint32_t to_thread, bool attach) {
  return AttachThreadInput(thread, to_thread, attach ? TRUE : FALSE) != 0;
}

bool Win32WindowSystem::bring_to_top(WindowHandle window) {
  // BringWindowToTop with the request posted to the window's thread instead
  // of sent: a thread that does not answer cannot hold the caller.
  return SetWindowPos(to_hwnd(window), HWND_TOP, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS) != 0;
}

void Win32WindowSystem::restore(WindowHandle window) { ShowWindow(to_hwnd(window), SW_RESTORE); }

void Win32WindowSystem::show(WindowHandle window, ShowCommand command) {
  int show = SW_RESTORE;
  if (command == ShowCommand::Minimize) show = SW_MINIMIZE;
  if (command == ShowCommand::Maximize) show = SW_MAXIMIZE;
  ShowWindow(to_hwnd(window), show);
}

bool Win32WindowSystem::move(WindowHandle window, const ScreenRect& rect) {
  return SetWindowPos(to_hwnd(window), nullptr, static_cast<int>(rect.left),
                      static_cast<int>(rect.top), static_cast<int>(rect.right - rect.left),
                      static_cast<int>(rect.bottom - rect.top),
                      SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER) != 0;
}

bool Win32WindowSystem::post_close(WindowHandle window) {
  return PostMessageW(to_hwnd(window), WM_CLOSE, 0, 0) != 0;
}

}  // namespace winhelper
