// The element object: every live read goes to the live window behind it; elements fetched
// with a cache request also carry what that request cached, and answer the cached getters
// from it (UI Automation's documented caching: values are a snapshot taken when the request
// ran; a property that was not requested cannot be read from the cache; cached children
// exist only where the scope reached, in the view of the request's filter; an element of
// AutomationElementMode_None answers cached reads only).

#include <map>
#include <memory>
#include <string>

#include "call_log.h"
#include "com_object.h"
#include "iids.h"
#include "provider_timeouts.h"
#include "counted_bases.h"
#include "server_objects.h"

namespace uia_server {
namespace {

// Answered by this server's elements with the element itself, so walkers and conditions can
// reach the node of an element handed back to them.
constexpr IID kIidServerElement = {
    0x5d0a3c61, 0x8f21, 0x4b7e, {0x9a, 0x55, 0x1c, 0x2e, 0x64, 0x7b, 0x90, 0x11}};

constexpr int kTreeScopeElement = 1;
constexpr int kTreeScopeChildren = 2;
constexpr int kTreeScopeDescendants = 4;

constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509L);

// What one cache request brought back for one element.
struct Cache {
  Cache() = default;
  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;
  ~Cache() {
    for (auto& [property, value] : values) VariantClear(&value.second);
  }
  std::map<PROPERTYID, std::pair<HRESULT, VARIANT>> values;
  bool children_cached = false;
  std::vector<Ref<IUIAutomationElement>> children;
  bool full = true;
};

// The elements the filter's view (null: the control view) puts directly below `node`:
// children that match, and in place of each one that does not, its own view children.
void view_children(const Node& node, IUIAutomationCondition* filter, std::vector<Node>& out) {
  for (const Node& child : children(node)) {
    if (in_view(filter, child)) {
      out.push_back(child);
    } else {
      view_children(child, filter, out);
    }
  }
}

std::shared_ptr<const Cache> build_cache(const Node& node, const CacheSpec& spec, bool below) {
  auto cache = std::make_shared<Cache>();
  cache->full = spec.full;
  if (below || (spec.scope & kTreeScopeElement) != 0) {
    // Elements just enumerated as children are there: a provider filling a
    // cache walks its own tree and does not look each one up again (here that
    // would cost a message to the application per list entry).
    bool present = below || alive(node);
    count_cached_values(spec.properties.size());
    for (PROPERTYID property : spec.properties) {
      VARIANT value;
      VariantInit(&value);
      HRESULT hr = present ? property_value(node, property, &value) : element_gone();
      cache->values[property] = {hr, value};
    }
  }
  bool with_children = below ? (spec.scope & kTreeScopeDescendants) != 0
                             : (spec.scope & (kTreeScopeChildren | kTreeScopeDescendants)) != 0;
  if (with_children) {
    cache->children_cached = true;
    std::vector<Node> in_view;
    view_children(node, spec.filter.get(), in_view);
    for (const Node& child : in_view) {
      cache->children.emplace_back(make_cached_element(child, spec, true));
    }
  }
  return cache;
}

class Element final : public ComObject<CountedIUIAutomationElement, iid::kElement, ObjectKind::Element> {
 public:
  explicit Element(const Node& node, std::shared_ptr<const Cache> cache = nullptr)
      : node_(node), cache_(std::move(cache)) {}
  const Node& node() const { return node_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out != nullptr && IsEqualIID(riid, kIidServerElement)) {
      AddRef();
      *out = this;
      return S_OK;
    }
    return ComObject::QueryInterface(riid, out);
  }

 protected:
  HRESULT on_GetRuntimeId(SAFEARRAY** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = live(); FAILED(state)) return state;
    std::vector<int> id = runtime_id(node_);
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(id.size()));
    if (array == nullptr) return E_OUTOFMEMORY;
    for (LONG i = 0; i < static_cast<LONG>(id.size()); ++i) {
      LONG part = id[static_cast<size_t>(i)];
      SafeArrayPutElement(array, &i, &part);
    }
    *out = array;
    return S_OK;
  }
  HRESULT on_get_CurrentControlType(CONTROLTYPEID* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = control_type_id(kind_of(node_));
    return S_OK;
  }
  HRESULT on_get_CurrentName(BSTR* out) override { return text(out, name(node_)); }
  HRESULT on_get_CurrentAutomationId(BSTR* out) override { return text(out, automation_id(node_)); }
  HRESULT on_get_CurrentClassName(BSTR* out) override { return text(out, class_name(node_)); }
  HRESULT on_get_CurrentBoundingRectangle(RECT* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = bounds(node_);
    return S_OK;
  }
  HRESULT on_get_CurrentIsOffscreen(BOOL* out) override { return flag(out, offscreen(node_)); }
  HRESULT on_get_CurrentIsEnabled(BOOL* out) override { return flag(out, enabled(node_)); }
  HRESULT on_get_CurrentIsKeyboardFocusable(BOOL* out) override {
    return flag(out, keyboard_focusable(node_));
  }
  HRESULT on_get_CurrentIsPassword(BOOL* out) override { return flag(out, password(node_)); }
  HRESULT on_get_CurrentNativeWindowHandle(UIA_HWND* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = node_.is_item() ? nullptr : node_.window;
    return S_OK;
  }
  HRESULT on_GetCurrentPropertyValue(PROPERTYID property, VARIANT* out) override {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    if (HRESULT state = live(); FAILED(state)) return state;
    return property_value(node_, property, out);
  }
  HRESULT on_GetCurrentPattern(PATTERNID pattern, IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = make_pattern(node_, pattern);
    return S_OK;
  }
  HRESULT on_GetCurrentPatternAs(PATTERNID pattern, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = live(); FAILED(state)) return state;
    Ref<IUnknown> object(make_pattern(node_, pattern));
    if (!object) return S_OK;  // no such pattern: success with nothing, as UI Automation answers
    return object->QueryInterface(riid, out);
  }
  HRESULT on_FindAll(TreeScope scope, IUIAutomationCondition* condition,
                     IUIAutomationElementArray** out) override {
    return find_all(scope, condition, nullptr, out);
  }
  HRESULT on_FindFirst(TreeScope scope, IUIAutomationCondition* condition,
                       IUIAutomationElement** out) override {
    return find_first(scope, condition, nullptr, out);
  }
  HRESULT on_FindAllBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                               IUIAutomationCacheRequest* request,
                               IUIAutomationElementArray** out) override {
    CacheSpec spec;
    if (HRESULT hr = cache_request_spec(request, spec); FAILED(hr)) return hr;
    return find_all(scope, condition, &spec, out);
  }
  HRESULT on_FindFirstBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                                 IUIAutomationCacheRequest* request,
                                 IUIAutomationElement** out) override {
    CacheSpec spec;
    if (HRESULT hr = cache_request_spec(request, spec); FAILED(hr)) return hr;
    return find_first(scope, condition, &spec, out);
  }
  HRESULT on_BuildUpdatedCache(IUIAutomationCacheRequest* request,
                               IUIAutomationElement** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CacheSpec spec;
    if (HRESULT hr = cache_request_spec(request, spec); FAILED(hr)) return hr;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = make_cached_element(node_, spec);
    return S_OK;
  }
  HRESULT on_GetCachedPropertyValue(PROPERTYID property, VARIANT* out) override {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    const std::pair<HRESULT, VARIANT>* value = cached(property);
    if (value == nullptr) {
      return fail(kInvalidOperation, L"The property was not requested in the cache");
    }
    if (FAILED(value->first)) return value->first;
    return VariantCopy(out, const_cast<VARIANT*>(&value->second));
  }
  HRESULT on_get_CachedBoundingRectangle(RECT* out) override {
    if (out == nullptr) return E_POINTER;
    const std::pair<HRESULT, VARIANT>* value = cached(30001);
    if (value == nullptr) {
      return fail(kInvalidOperation, L"The bounding rectangle was not requested in the cache");
    }
    if (FAILED(value->first)) return value->first;
    // Cached as left, top, width and height, as the property reports it.
    double parts[4] = {0, 0, 0, 0};
    for (LONG i = 0; i < 4; ++i) SafeArrayGetElement(value->second.parray, &i, &parts[i]);
    *out = RECT{static_cast<LONG>(parts[0]), static_cast<LONG>(parts[1]),
                static_cast<LONG>(parts[0] + parts[2]), static_cast<LONG>(parts[1] + parts[3])};
    return S_OK;
  }
  // IUIAutomationElement::GetCachedChildren: "If the cache request specified that children
  // were to be cached at this level, but there are no children, the value of this property
  // is 0": a leaf answers S_OK and a null array.
  HRESULT on_GetCachedChildren(IUIAutomationElementArray** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!cache_ || !cache_->children_cached) {
      return fail(kInvalidOperation, L"The children were not requested in the cache");
    }
    if (cache_->children.empty()) {
      count_null_array();
      return S_OK;
    }
    *out = make_element_array(cache_->children);
    return S_OK;
  }
  HRESULT on_SetFocus() override {
    if (HRESULT state = live(); FAILED(state)) return state;
    if (!keyboard_focusable(node_)) {
      return fail(E_INVALIDARG, L"The element cannot take the keyboard focus");
    }
    // Focus belongs to the window's own thread: join its input state for the call.
    HWND top = GetAncestor(node_.window, GA_ROOT);
    DWORD target = GetWindowThreadProcessId(node_.window, nullptr);
    DWORD self = GetCurrentThreadId();
    bool attached = target != self && AttachThreadInput(self, target, TRUE) != FALSE;
    SetForegroundWindow(top);
    ::SetFocus(node_.window);
    if (node_.is_item()) send(node_.window, LB_SETCARETINDEX, node_.item, FALSE);
    if (attached) AttachThreadInput(self, target, FALSE);
    return S_OK;
  }

 private:
  // Live calls reach the window; an element fetched for cached reads only refuses them.
  HRESULT live() {
    if (cache_ && !cache_->full) {
      return fail(kInvalidOperation, L"The element was fetched for cached reads only");
    }
    return reach(node_);
  }
  const std::pair<HRESULT, VARIANT>* cached(PROPERTYID property) const {
    if (!cache_) return nullptr;
    auto found = cache_->values.find(property);
    return found == cache_->values.end() ? nullptr : &found->second;
  }
  // The matches in tree order, each cached as the request asks when one is given. The search
  // sees the view of the request's tree filter; without a request, the default request's,
  // the control view (FindAll and FindFirst use the default cache request).
  HRESULT search(TreeScope scope, IUIAutomationCondition* condition, const CacheSpec* spec,
                 bool first_only, std::vector<Ref<IUIAutomationElement>>& out) {
    HRESULT checked = check_find(scope, condition);
    if (FAILED(checked)) return checked;
    std::vector<Node> found;
    IUIAutomationCondition* view = spec ? spec->filter.get() : nullptr;
    collect(node_, static_cast<int>(scope), condition, view, found, first_only);
    for (const Node& node : found) {
      out.emplace_back(spec ? make_cached_element(node, *spec) : make_element(node));
    }
    return S_OK;
  }
  // A search without a match answers S_OK and a null array (the IUIAutomationElement::FindAll
  // page of the original reference: "NULL is returned if no matching element is found";
  // FindAllBuildCache answers the same).
  HRESULT find_all(TreeScope scope, IUIAutomationCondition* condition, const CacheSpec* spec,
                   IUIAutomationElementArray** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    std::vector<Ref<IUIAutomationElement>> found;
    HRESULT hr = search(scope, condition, spec, false, found);
    if (FAILED(hr)) return hr;
    if (found.empty()) {
      count_null_array();
      return S_OK;
    }
    *out = make_element_array(std::move(found));
    return S_OK;
  }
  HRESULT find_first(TreeScope scope, IUIAutomationCondition* condition, const CacheSpec* spec,
                     IUIAutomationElement** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    std::vector<Ref<IUIAutomationElement>> found;
    HRESULT hr = search(scope, condition, spec, true, found);
    if (SUCCEEDED(hr) && !found.empty()) *out = found.front().release();
    return hr;
  }
  HRESULT text(BSTR* out, const std::wstring& value) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = make_bstr(value);
    return S_OK;
  }
  HRESULT flag(BOOL* out, bool value) {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = live(); FAILED(state)) return state;
    *out = value ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT check_find(TreeScope scope, IUIAutomationCondition* condition) {
    if (condition == nullptr) return fail(E_POINTER, L"FindAll and FindFirst need a condition");
    if (!is_server_condition(condition)) {
      return fail(E_INVALIDARG, L"The condition does not come from this automation object");
    }
    int bits = static_cast<int>(scope);
    if (bits == 0 || (bits & ~(kTreeScopeElement | kTreeScopeChildren | kTreeScopeDescendants))) {
      return fail(E_INVALIDARG, L"Unsupported tree scope " + std::to_wstring(bits));
    }
    if (HRESULT state = live(); FAILED(state)) return state;
    return S_OK;
  }
  // Tree order: an element before its children, children in window z-order.
  static bool collect(const Node& node, int scope, IUIAutomationCondition* condition,
                      IUIAutomationCondition* view, std::vector<Node>& found, bool first_only) {
    if ((scope & kTreeScopeElement) && in_view(view, node) && matches(condition, node)) {
      found.push_back(node);
      if (first_only) return true;
    }
    if ((scope & (kTreeScopeChildren | kTreeScopeDescendants)) == 0) return false;
    int below = (scope & kTreeScopeDescendants) ? (kTreeScopeElement | kTreeScopeDescendants)
                                                : kTreeScopeElement;
    for (const Node& child : children(node)) {
      if (collect(child, below, condition, view, found, first_only)) return true;
    }
    return false;
  }

  Node node_;
  std::shared_ptr<const Cache> cache_;
};

class ElementArray final
    : public ComObject<CountedIUIAutomationElementArray, iid::kElementArray,
                      ObjectKind::ElementArray> {
 public:
  explicit ElementArray(std::vector<Ref<IUIAutomationElement>> elements)
      : elements_(std::move(elements)) {}

 protected:
  HRESULT on_get_Length(int* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<int>(elements_.size());
    return S_OK;
  }
  HRESULT on_GetElement(int index, IUIAutomationElement** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= elements_.size()) {
      return fail(E_INVALIDARG, L"Element index " + std::to_wstring(index) + L" is out of range");
    }
    *out = elements_[static_cast<size_t>(index)].get();
    (*out)->AddRef();
    return S_OK;
  }

 private:
  std::vector<Ref<IUIAutomationElement>> elements_;
};

}  // namespace

IUIAutomationElement* make_element(const Node& node) { return new Element(node); }

IUIAutomationElement* make_cached_element(const Node& node, const CacheSpec& spec, bool below) {
  return new Element(node, build_cache(node, spec, below));
}

IUIAutomationElementArray* make_element_array(std::vector<Ref<IUIAutomationElement>> elements) {
  return new ElementArray(std::move(elements));
}

bool node_of(IUIAutomationElement* element, Node& node) {
  if (element == nullptr) return false;
  void* raw = nullptr;
  if (FAILED(element->QueryInterface(kIidServerElement, &raw)) || raw == nullptr) return false;
  auto* ours = static_cast<Element*>(raw);
  node = ours->node();
  ours->Release();
  return true;
}

}  // namespace uia_server
