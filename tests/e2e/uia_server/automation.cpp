// The automation object: the entry points the helper starts from. Each instance is one
// session of the helper; its end writes the call log.

#include "automation.h"

#include "com_object.h"
#include "counted_bases.h"
#include "iids.h"
#include "provider_timeouts.h"
#include "server_objects.h"

namespace uia_server {
namespace {

constexpr IID kIidAutomation2 = winhelper::uia::sdk::kIidIUIAutomation2;

class Automation final
    : public ComObject<CountedIUIAutomation2, iid::kAutomation, ObjectKind::Automation> {
 public:
  explicit Automation(bool eight) : eight_(eight) {
    count_class_created(eight ? "CUIAutomation8" : "CUIAutomation");
    start_thread_timeouts();
  }
  ~Automation() override { write_call_log(); }

  // IUIAutomation2 only from a CUIAutomation8 object, as on Windows, where the older class
  // offers IUIAutomation alone.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out != nullptr && eight_ && IsEqualIID(riid, kIidAutomation2)) {
      AddRef();
      *out = static_cast<IUIAutomation2*>(this);
      return S_OK;
    }
    return ComObject::QueryInterface(riid, out);
  }

 protected:
  // IUIAutomation2's timeouts, in milliseconds (defaults 2 s and 20 s on Windows; here the
  // default is none, so a client that sets none waits as long as a provider takes).
  HRESULT on_get_ConnectionTimeout(DWORD* out) override {
    if (out == nullptr) return E_POINTER;
    *out = connection_timeout();
    return S_OK;
  }
  HRESULT on_put_ConnectionTimeout(DWORD ms) override {
    set_connection_timeout(ms);
    record_connection_timeout(ms);
    return S_OK;
  }
  HRESULT on_get_TransactionTimeout(DWORD* out) override {
    if (out == nullptr) return E_POINTER;
    *out = transaction_timeout();
    return S_OK;
  }
  HRESULT on_put_TransactionTimeout(DWORD ms) override {
    set_transaction_timeout(ms);
    record_transaction_timeout(ms);
    return S_OK;
  }
  HRESULT on_get_AutoSetFocus(BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    *out = auto_set_focus_;
    return S_OK;
  }
  HRESULT on_put_AutoSetFocus(BOOL value) override {
    auto_set_focus_ = value;
    return S_OK;
  }

  HRESULT on_ElementFromHandle(UIA_HWND handle, IUIAutomationElement** out) override {
    return from_handle(handle, nullptr, out);
  }
  HRESULT on_ElementFromPoint(POINT point, IUIAutomationElement** out) override {
    return from_point(point, nullptr, out);
  }
  HRESULT on_ElementFromHandleBuildCache(UIA_HWND handle, IUIAutomationCacheRequest* request,
                                         IUIAutomationElement** out) override {
    return from_handle(handle, request, out);
  }
  HRESULT on_ElementFromPointBuildCache(POINT point, IUIAutomationCacheRequest* request,
                                        IUIAutomationElement** out) override {
    return from_point(point, request, out);
  }
  HRESULT on_CreateCacheRequest(IUIAutomationCacheRequest** out) override {
    if (out == nullptr) return E_POINTER;
    *out = make_cache_request();
    return S_OK;
  }
  HRESULT on_CreateAndCondition(IUIAutomationCondition* first, IUIAutomationCondition* second,
                                IUIAutomationCondition** out) override {
    return make_and_condition(first, second, out);
  }
  HRESULT on_CreateOrConditionFromNativeArray(IUIAutomationCondition** conditions, int count,
                                              IUIAutomationCondition** out) override {
    return make_or_condition(conditions, count, out);
  }
  HRESULT on_GetRootElement(IUIAutomationElement** out) override {
    if (out == nullptr) return E_POINTER;
    *out = make_element(Node{GetDesktopWindow()});
    return S_OK;
  }
  HRESULT on_get_ControlViewWalker(IUIAutomationTreeWalker** out) override {
    if (out == nullptr) return E_POINTER;
    *out = make_control_view_walker();
    return S_OK;
  }
  HRESULT on_CreateTrueCondition(IUIAutomationCondition** out) override {
    if (out == nullptr) return E_POINTER;
    *out = make_true_condition();
    return S_OK;
  }
  HRESULT on_CreatePropertyCondition(PROPERTYID property, VARIANT value,
                                     IUIAutomationCondition** out) override {
    return make_property_condition(property, value, out);
  }

 private:
  // The element for `node`, cached as the request asks when one is given.
  static HRESULT hand_out(const Node& node, IUIAutomationCacheRequest* request,
                          IUIAutomationElement** out) {
    if (request == nullptr) {
      *out = make_element(node);
      return S_OK;
    }
    CacheSpec spec;
    if (HRESULT hr = cache_request_spec(request, spec); FAILED(hr)) return hr;
    *out = make_cached_element(node, spec);
    return S_OK;
  }
  static HRESULT from_handle(UIA_HWND handle, IUIAutomationCacheRequest* request,
                             IUIAutomationElement** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    auto window = static_cast<HWND>(handle);
    if (window == nullptr || IsWindow(window) == FALSE) {
      return fail(E_INVALIDARG, L"The handle does not name a window");
    }
    if (HRESULT state = reach(Node{window}, true); FAILED(state)) return state;
    return hand_out(Node{window}, request, out);
  }
  static HRESULT from_point(POINT point, IUIAutomationCacheRequest* request,
                            IUIAutomationElement** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    Node hit = node_at(point);
    if (HRESULT state = reach(hit, true); FAILED(state)) return state;
    return hand_out(hit, request, out);
  }

  bool eight_ = false;
  BOOL auto_set_focus_ = TRUE;
};

}  // namespace

IUIAutomation* make_automation(bool eight) { return new Automation(eight); }

}  // namespace uia_server
