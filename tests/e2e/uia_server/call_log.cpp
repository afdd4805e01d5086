#include "call_log.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "com_object.h"

namespace uia_server {
namespace {

struct CallLog {
  std::mutex mutex;
  std::map<std::string, unsigned long long> counts;
};

CallLog& log() {
  static CallLog* instance = new CallLog();  // never destroyed: calls may come during unload
  return *instance;
}

}  // namespace

void count_call(const char* method) {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  ++calls.counts[method];
}

HRESULT not_implemented(const char* method) {
  std::wstring text = L"The test UI Automation server does not implement ";
  for (const char* c = method; *c != '\0'; ++c) text += static_cast<wchar_t>(*c);
  return fail(E_NOTIMPL, text);
}

void write_call_log() {
  wchar_t path[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"WINHELPER_UIA_CALL_LOG", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string text;
  {
    CallLog& calls = log();
    std::lock_guard<std::mutex> lock(calls.mutex);
    for (const auto& [method, count] : calls.counts) {
      text += std::to_string(count) + " " + method + "\n";
    }
  }
  // Written beside the target and moved over it, so a reader never sees half a file.
  std::wstring temporary = std::wstring(path) + L".tmp" + std::to_wstring(GetCurrentThreadId());
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != text.size() ||
      !MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
  }
}

}  // namespace uia_server
