#include "selftest/win32/probes_win32.h"

#include <windows.h>

#include <string>

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
};

}  // namespace

std::unique_ptr<Probes> make_win32_probes() { return std::make_unique<Win32Probes>(); }

}  // namespace winhelper::selftest
