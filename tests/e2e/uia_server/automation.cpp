// The automation object: the entry points the helper starts from. Each instance is one
// session of the helper; its end writes the call log.

#include "automation.h"

#include "com_object.h"
#include "counted_bases.h"
#include "iids.h"
#include "server_objects.h"

namespace uia_server {
namespace {

class Automation final : public ComObject<CountedIUIAutomation, iid::kAutomation, ObjectKind::Automation> {
 public:
  ~Automation() override { write_call_log(); }

 protected:
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
    return hand_out(Node{window}, request, out);
  }
  static HRESULT from_point(POINT point, IUIAutomationCacheRequest* request,
                            IUIAutomationElement** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return hand_out(node_at(point), request, out);
  }
};

}  // namespace

IUIAutomation* make_automation() { return new Automation(); }

}  // namespace uia_server
