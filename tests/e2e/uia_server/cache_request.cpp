// Cache requests: what to cache, how far below the element, through which view, and whether
// the elements keep a live connection (IUIAutomationCacheRequest as documented: the tree
// scope may not include the parent or ancestors; the default filter is the control view).

#include "counted_bases.h"
#include "iids.h"
#include "server_objects.h"

namespace uia_server {
namespace {

constexpr IID kIidServerCacheRequest = {
    0x2b6c4f0e, 0x51d3, 0x4c8a, {0xb1, 0x7e, 0x0d, 0x43, 0x9a, 0x62, 0xe5, 0x17}};

constexpr int kTreeScopeParent = 8;
constexpr int kTreeScopeAncestors = 16;

class CacheRequest final : public ComObject<CountedIUIAutomationCacheRequest, iid::kCacheRequest,
                                              ObjectKind::CacheRequest> {
 public:
  CacheRequest() = default;
  explicit CacheRequest(const CacheSpec& spec) : spec_(spec) {}
  const CacheSpec& spec() const { return spec_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out != nullptr && IsEqualIID(riid, kIidServerCacheRequest)) {
      AddRef();
      *out = this;
      return S_OK;
    }
    return ComObject::QueryInterface(riid, out);
  }

 protected:
  HRESULT on_AddProperty(PROPERTYID property) override {
    spec_.properties.push_back(property);
    return S_OK;
  }
  HRESULT on_AddPattern(PATTERNID pattern) override {
    spec_.patterns.push_back(pattern);
    return S_OK;
  }
  HRESULT on_Clone(IUIAutomationCacheRequest** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new CacheRequest(spec_);
    return S_OK;
  }
  HRESULT on_get_TreeScope(TreeScope* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<TreeScope>(spec_.scope);
    return S_OK;
  }
  HRESULT on_put_TreeScope(TreeScope scope) override {
    int bits = static_cast<int>(scope);
    if (bits == 0 || (bits & (kTreeScopeParent | kTreeScopeAncestors)) != 0 || bits > 7) {
      return fail(E_INVALIDARG,
                  L"A cache request's scope is the element, its children or descendants");
    }
    spec_.scope = bits;
    return S_OK;
  }
  HRESULT on_get_TreeFilter(IUIAutomationCondition** out) override {
    if (out == nullptr) return E_POINTER;
    *out = spec_.filter ? spec_.filter.get() : make_control_view_condition();
    if (spec_.filter) (*out)->AddRef();
    return S_OK;
  }
  HRESULT on_put_TreeFilter(IUIAutomationCondition* filter) override {
    if (filter == nullptr) return E_POINTER;
    if (!is_server_condition(filter)) {
      return fail(E_INVALIDARG, L"The condition does not come from this automation object");
    }
    filter->AddRef();
    spec_.filter = Ref<IUIAutomationCondition>(filter);
    return S_OK;
  }
  HRESULT on_get_AutomationElementMode(AutomationElementMode* out) override {
    if (out == nullptr) return E_POINTER;
    *out = spec_.full ? AutomationElementMode_Full : AutomationElementMode_None;
    return S_OK;
  }
  HRESULT on_put_AutomationElementMode(AutomationElementMode mode) override {
    spec_.full = mode != AutomationElementMode_None;
    return S_OK;
  }

 private:
  CacheSpec spec_;
};

}  // namespace

IUIAutomationCacheRequest* make_cache_request() {
  return new CacheRequest();
}

HRESULT cache_request_spec(IUIAutomationCacheRequest* request, CacheSpec& spec) {
  if (caching_refused()) return fail(E_NOTIMPL, L"This provider does not cache");
  void* raw = nullptr;
  if (request == nullptr || FAILED(request->QueryInterface(kIidServerCacheRequest, &raw)) ||
      raw == nullptr) {
    return fail(E_INVALIDARG, L"The cache request does not come from this automation object");
  }
  auto* ours = static_cast<CacheRequest*>(raw);
  spec = ours->spec();
  ours->Release();
  return S_OK;
}

}  // namespace uia_server
