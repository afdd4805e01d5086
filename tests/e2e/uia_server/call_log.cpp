#include "call_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>
#include <string>

#include "com_object.h"
#include "common/win32/unique_handle.h"

namespace uia_server {
namespace {

struct CallLog {
  std::mutex mutex;
  std::map<std::string, unsigned long long> counts;
  unsigned long long round_trips = 0;
  unsigned long long local_calls = 0;
  unsigned long long password_value_reads = 0;
  unsigned long long null_arrays = 0;
  unsigned long long cached_values = 0;
  unsigned long long text_units_read = 0;
  unsigned long long timed_out_calls = 0;
  std::map<std::string, unsigned long long> classes_created;
  unsigned long connection_timeout_ms = 0;
  unsigned long transaction_timeout_ms = 0;
};

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Calls that stay in the helper's process on Windows.
bool is_local(const char* method) {
  return starts_with(method, "IClassFactory.") ||
         starts_with(method, "IUIAutomationElementArray.") ||
         starts_with(method, "IUIAutomationCacheRequest.") ||
         starts_with(method, "IUIAutomation.Create") ||
         starts_with(method, "IUIAutomation2.") ||
         starts_with(method, "IUIAutomation.get_ControlViewWalker") ||
         starts_with(method, "IUIAutomationElement.GetCached") ||
         starts_with(method, "IUIAutomationElement.get_Cached");
}

long long environment_number(const wchar_t* name) {
  wchar_t text[32];
  DWORD length = GetEnvironmentVariableW(name, text, 32);
  if (length == 0 || length >= 32) return 0;
  return std::wcstoll(text, nullptr, 10);
}

// The simulated cost of one round trip, spent busy: Sleep cannot wait less than a
// millisecond.
void spend_round_trip() {
  static const long long cost_us = environment_number(L"WINHELPER_UIA_ROUND_TRIP_US");
  if (cost_us <= 0) return;
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  long long ticks = cost_us * frequency.QuadPart / 1000000;
  do {
    QueryPerformanceCounter(&now);
  } while (now.QuadPart - start.QuadPart < ticks);
}

CallLog& log() {
  static CallLog* instance = new CallLog();  // never destroyed: calls may come during unload
  return *instance;
}

}  // namespace

void count_call(const char* method) {
  bool local = is_local(method);
  {
    CallLog& calls = log();
    std::lock_guard<std::mutex> lock(calls.mutex);
    ++calls.counts[method];
    ++(local ? calls.local_calls : calls.round_trips);
  }
  if (!local) spend_round_trip();
}

void count_password_value_read() {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  ++calls.password_value_reads;
}

void count_null_array() {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  ++calls.null_arrays;
}

void count_cached_values(unsigned long long values) {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  calls.cached_values += values;
}

void count_text_units_read(unsigned long long units) {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  calls.text_units_read += units;
}

void count_timed_out_call() {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  ++calls.timed_out_calls;
}

void count_class_created(const char* class_name) {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  ++calls.classes_created[class_name];
}

void record_connection_timeout(unsigned long ms) {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  calls.connection_timeout_ms = ms;
}

void record_transaction_timeout(unsigned long ms) {
  CallLog& calls = log();
  std::lock_guard<std::mutex> lock(calls.mutex);
  calls.transaction_timeout_ms = ms;
}

bool caching_refused() {
  static const bool refused = environment_number(L"WINHELPER_UIA_NO_CACHE") != 0;
  return refused;
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
    text += std::to_string(calls.cached_values) + " #cached_values\n";
    text += std::to_string(calls.local_calls) + " #local_calls\n";
    text += std::to_string(calls.null_arrays) + " #null_arrays\n";
    text += std::to_string(calls.text_units_read) + " #text_units_read\n";
    text += std::to_string(calls.timed_out_calls) + " #timed_out_calls\n";
    for (const auto& [name, count] : calls.classes_created) {
      text += std::to_string(count) + " #created_" + name + "\n";
    }
    text += std::to_string(calls.connection_timeout_ms) + " #connection_timeout_ms\n";
    text += std::to_string(calls.transaction_timeout_ms) + " #transaction_timeout_ms\n";
    text += std::to_string(calls.password_value_reads) + " #password_value_reads\n";
    text += std::to_string(calls.round_trips) + " #round_trips\n";
  }
  for (int kind = 0; kind < kObjectKinds; ++kind) {
    auto k = static_cast<ObjectKind>(kind);
    text += std::to_string(live_objects(k)) + " #live_" + object_kind_name(k) + "\n";
  }
  // Written beside the target and moved over it, so a reader never sees half a file.
  std::wstring temporary = std::wstring(path) + L".tmp" + std::to_wstring(GetCurrentThreadId());
  winhelper::win32::UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  BOOL ok = WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  file.reset();  // closed before it is moved over the target
  if (!ok || written != text.size() ||
      !MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
  }
}

}  // namespace uia_server
