// The token's environment on Windows: read in UTF-16, so that a profile
// folder whose name is not in the ANSI code page is found, and the local
// application data folder asked of the shell rather than read from a
// variable that a parent may have changed.

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>
#include <stdlib.h>

#include "common/text.h"
#include "http/http_arguments.h"

namespace winhelper::mcp {

namespace {

std::optional<std::string> utf8_of(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::nullopt;
  return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
}

}  // namespace

TokenEnvironment process_token_environment() {
  TokenEnvironment out;
  const std::u16string wide = utf8_to_utf16(kTokenEnvironment);
  const std::wstring name(wide.begin(), wide.end());
  out.env_token = utf8_of(_wgetenv(name.c_str()));
  // Removed from the C runtime's copy and from the process's environment
  // block, which CreateProcessW and ShellExecuteExW hand to every program.
  _wputenv_s(name.c_str(), L"");
  SetEnvironmentVariableW(name.c_str(), nullptr);
  PWSTR folder = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &folder))) {
    out.profile_dir = utf8_of(folder);
  }
  CoTaskMemFree(folder);
  return out;
}

}  // namespace winhelper::mcp
