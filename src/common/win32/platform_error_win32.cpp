#include "common/win32/platform_error_win32.h"

#include "common/platform_error.h"
#include "common/text.h"

namespace winhelper {

std::string system_message(std::uint32_t hresult) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD code = hresult;
  HMODULE source = nullptr;
  if (hresult & 0x10000000u) {
    source = GetModuleHandleW(L"ntdll.dll");
    if (source) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    code = hresult & ~0x10000000u;
  }
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(flags, source, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0,
                                nullptr);
  std::string message;
  if (length != 0 && buffer != nullptr) {
    message = utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer), length));
  }
  if (buffer != nullptr) LocalFree(buffer);
  return message;
}

std::string hresult_text(HRESULT hr) {
  auto code = static_cast<std::uint32_t>(hr);
  return platform_error_text(code, system_message(code));
}

std::string last_error_text() {
  std::uint32_t code = hresult_from_win32(GetLastError());
  return platform_error_text(code, code == 0 ? std::string() : system_message(code));
}

}  // namespace winhelper
