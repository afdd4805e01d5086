// procstat <pid>: prints one JSON line with what Windows reports about a process's
// resources, for the soak run, which samples the helper with it and checks that nothing
// grows:
//
//   {"handles":41,"handleTypes":{"Event":12,"Thread":9,...},"privateBytes":5365760,
//    "workingSet":9850880,"peakWorkingSet":9850880,"gdiObjects":12,"userObjects":3,
//    "threads":10}
//
// Handles are counted in the system's handle table (NtQuerySystemInformation) rather than
// with GetProcessHandleCount, which Wine answers with 0 for every process; `handleTypes`
// splits them by object type index, which names the kind of object that leaks. Wine also
// reports 0 for private bytes and GDI/USER objects; the soak run reads memory from /proc.
//
// `procstat --types` prints the object type names by index.
//
// A failure prints {"error":"..."} and exits with 1.
#include <windows.h>
#include <winternl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// The extended handle table entry of NtQuerySystemInformation (class 64).
struct HandleEntry {
  void* object;
  ULONG_PTR process_id;
  ULONG_PTR handle_value;
  ULONG granted_access;
  USHORT creator_back_trace_index;
  USHORT object_type_index;
  ULONG handle_attributes;
  ULONG reserved;
};

struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};

// The head of one entry of NtQueryObject's object type list (class 3); entries follow each
// other, each one's name right after it, padded to pointer alignment.
struct ObjectTypeEntry {
  UNICODE_STRING name;
  ULONG counts[12];
  ULONG invalid_attributes;
  GENERIC_MAPPING generic_mapping;
  ULONG valid_access_mask;
  BOOLEAN security_required;
  BOOLEAN maintain_handle_count;
  UCHAR type_index;
  CHAR reserved;
  ULONG pool_type;
  ULONG paged_pool_charge;
  ULONG non_paged_pool_charge;
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);
constexpr ULONG kObjectTypesInformation = 3;
constexpr ULONG kExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

int fail(const char* what, unsigned long code) {
  std::printf("{\"error\":\"%s failed with %lu\"}\n", what, code);
  return 1;
}

void* ntdll_function(const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name));
}

// The system's handle table, read whole; false (with the status) when it cannot be read.
bool read_handle_table(std::vector<unsigned char>& buffer, unsigned long& status) {
  auto query =
      reinterpret_cast<QuerySystemInformation>(ntdll_function("NtQuerySystemInformation"));
  if (query == nullptr) {
    status = GetLastError();
    return false;
  }
  buffer.resize(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const LONG result = query(kExtendedHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (result == kInfoLengthMismatch) {
      buffer.resize(needed > buffer.size() ? needed + 65536 : buffer.size() * 2);
      continue;
    }
    if (result < 0) {
      status = static_cast<unsigned long>(result);
      return false;
    }
    return true;
  }
}

const HandleTable& as_table(const std::vector<unsigned char>& buffer) {
  return *reinterpret_cast<const HandleTable*>(buffer.data());
}

// The handle table's type index of an object this program owns, or -1.
int type_index_of(const std::vector<unsigned char>& buffer, HANDLE own_handle) {
  const HandleTable& table = as_table(buffer);
  const DWORD self = GetCurrentProcessId();
  for (ULONG_PTR i = 0; i < table.count; ++i) {
    const HandleEntry& entry = table.entries[i];
    if (entry.process_id == self && entry.handle_value == reinterpret_cast<ULONG_PTR>(own_handle)) {
      return entry.object_type_index;
    }
  }
  return -1;
}

std::size_t align_up(std::size_t offset) {
  return (offset + sizeof(void*) - 1) & ~(sizeof(void*) - 1);
}

// The object type names by type index, as ASCII; empty when the system does not list them.
std::map<unsigned, std::string> object_type_names() {
  std::map<unsigned, std::string> names;
  auto query = reinterpret_cast<QueryObject>(ntdll_function("NtQueryObject"));
  if (query == nullptr) return names;
  std::vector<unsigned char> buffer(1 << 16);
  ULONG needed = 0;
  while (query(nullptr, kObjectTypesInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
               &needed) == kInfoLengthMismatch) {
    if (buffer.size() >= (1u << 24)) return names;
    buffer.resize(buffer.size() * 2);
  }
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  std::size_t offset = align_up(sizeof(ULONG));
  for (ULONG i = 0; i < count && offset + sizeof(ObjectTypeEntry) <= buffer.size(); ++i) {
    const auto* entry = reinterpret_cast<const ObjectTypeEntry*>(buffer.data() + offset);
    std::string name;
    for (USHORT c = 0; c < entry->name.Length / 2; ++c) {
      const wchar_t unit = entry->name.Buffer[c];
      name += unit < 128 ? static_cast<char>(unit) : '?';
    }
    names[entry->type_index] = name;
    const auto* name_end =
        reinterpret_cast<const unsigned char*>(entry->name.Buffer) + entry->name.MaximumLength;
    offset = align_up(static_cast<std::size_t>(name_end - buffer.data()));
  }
  return names;
}

// Threads owned by the process, from a system-wide thread snapshot.
long count_threads(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  long count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == pid) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--types") == 0) {
    const char* separator = "";
    std::printf("{");
    for (const auto& [index, name] : object_type_names()) {
      std::printf("%s\"%u\":\"%s\"", separator, index, name.c_str());
      separator = ",";
    }
    std::printf("}\n");
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: procstat <pid> | procstat --types\n");
    return 2;
  }
  const DWORD pid = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return fail("OpenProcess", GetLastError());

  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof memory)) {
    return fail("GetProcessMemoryInfo", GetLastError());
  }
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  CloseHandle(process);

  // Windows numbers handle types as the type list does; Wine's handle table counts from
  // 2 lower. An event of our own tells which numbering is in use.
  HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<unsigned char> buffer;
  unsigned long status = 0;
  if (!read_handle_table(buffer, status)) return fail("NtQuerySystemInformation", status);
  const int probe_index = type_index_of(buffer, probe);
  CloseHandle(probe);

  const auto names = object_type_names();
  int shift = 0;
  for (const auto& [index, name] : names) {
    if (name == "Event" && probe_index >= 0) shift = static_cast<int>(index) - probe_index;
  }
  std::map<std::string, unsigned long> by_type;
  unsigned long handles = 0;
  const HandleTable& table = as_table(buffer);
  for (ULONG_PTR i = 0; i < table.count; ++i) {
    if (table.entries[i].process_id != pid) continue;
    const unsigned index = table.entries[i].object_type_index + shift;
    const auto name = names.find(index);
    ++by_type[name != names.end() ? name->second : std::to_string(index)];
    ++handles;
  }

  std::printf("{\"handles\":%lu,\"handleTypes\":{", handles);
  const char* separator = "";
  for (const auto& [type, count] : by_type) {
    std::printf("%s\"%s\":%lu", separator, type.c_str(), count);
    separator = ",";
  }
  std::printf(
      "},\"privateBytes\":%llu,\"workingSet\":%llu,\"peakWorkingSet\":%llu,"
      "\"gdiObjects\":%lu,\"userObjects\":%lu,\"threads\":%ld}\n",
      static_cast<unsigned long long>(memory.PrivateUsage),
      static_cast<unsigned long long>(memory.WorkingSetSize),
      static_cast<unsigned long long>(memory.PeakWorkingSetSize), gdi, user, count_threads(pid));
  return 0;
}
