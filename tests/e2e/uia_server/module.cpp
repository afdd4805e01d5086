// The DLL's COM entry points: a class factory for each UI Automation class, CUIAutomation
// and CUIAutomation8.

#include <windows.h>

#include <ole2.h>

#include "automation.h"
#include "call_log.h"
#include "com_object.h"
#include "iids.h"

namespace uia_server {
namespace {

std::atomic<long> server_locks{0};

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// A static object: its references do not keep the DLL loaded; LockServer does.
class Factory final : public IClassFactory {
 public:
  explicit Factory(bool eight) : eight_(eight) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    count_call("IClassFactory.CreateInstance");
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Ref<IUIAutomation> automation(make_automation(eight_));
    return automation->QueryInterface(riid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++server_locks;
    } else {
      --server_locks;
    }
    return S_OK;
  }

 private:
  bool eight_;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

Factory factory(false);
Factory factory8(true);

}  // namespace
}  // namespace uia_server

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualCLSID(clsid, winhelper::uia::sdk::kClsidCUIAutomation8)) {
    return uia_server::factory8.QueryInterface(riid, out);
  }
  if (!IsEqualCLSID(clsid, winhelper::uia::sdk::kClsidCUIAutomation)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return uia_server::factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return uia_server::live_objects() == 0 && uia_server::server_locks == 0 ? S_OK : S_FALSE;
}

// COM frees the server with each apartment that loaded it, and the helper ends an apartment
// with every UI Automation session, so without a pin the server would be loaded afresh for
// almost every command. Each load of its static runtime leaves memory (the exception
// emergency pool, the call counts) and, for every thread that took a lock, a thread handle
// and an event behind in the helper; the soak run saw them grow by the session. The real
// UI Automation core stays loaded, so pinning also keeps the test closer to the real thing,
// and the call counts become true totals for the process.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(instance), &pinned);
  }
  return TRUE;
}
