#include "text_util.h"

#include <cwchar>

namespace testapp {

std::string to_utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void write_stderr(const std::wstring& line) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  const std::string bytes = to_utf8(line) + "\n";
  DWORD written = 0;
  WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring window_text(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::wstring hex_byte(unsigned value) {
  wchar_t buffer[16];
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"0x%02X", value);
  return buffer;
}

}  // namespace testapp
