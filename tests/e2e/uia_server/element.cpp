// The element object: every read goes to the live window behind it.

#include <string>

#include "com_object.h"
#include "iids.h"
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

class Element final : public ComObject<CountedIUIAutomationElement, iid::kElement> {
 public:
  explicit Element(const Node& node) : node_(node) {}
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
    if (!alive(node_)) return element_gone();
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
    if (!alive(node_)) return element_gone();
    *out = control_type_id(kind_of(node_));
    return S_OK;
  }
  HRESULT on_get_CurrentName(BSTR* out) override { return text(out, name(node_)); }
  HRESULT on_get_CurrentAutomationId(BSTR* out) override { return text(out, automation_id(node_)); }
  HRESULT on_get_CurrentClassName(BSTR* out) override { return text(out, class_name(node_)); }
  HRESULT on_get_CurrentBoundingRectangle(RECT* out) override {
    if (out == nullptr) return E_POINTER;
    if (!alive(node_)) return element_gone();
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
    if (!alive(node_)) return element_gone();
    *out = node_.is_item() ? nullptr : node_.window;
    return S_OK;
  }
  HRESULT on_GetCurrentPropertyValue(PROPERTYID property, VARIANT* out) override {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    if (!alive(node_)) return element_gone();
    return property_value(node_, property, out);
  }
  HRESULT on_GetCurrentPattern(PATTERNID pattern, IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!alive(node_)) return element_gone();
    *out = make_pattern(node_, pattern);
    return S_OK;
  }
  HRESULT on_GetCurrentPatternAs(PATTERNID pattern, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!alive(node_)) return element_gone();
    Ref<IUnknown> object(make_pattern(node_, pattern));
    if (!object) return S_OK;  // no such pattern: success with nothing, as UI Automation answers
    return object->QueryInterface(riid, out);
  }
  HRESULT on_FindAll(TreeScope scope, IUIAutomationCondition* condition,
                     IUIAutomationElementArray** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    HRESULT checked = check_find(scope, condition);
    if (FAILED(checked)) return checked;
    std::vector<Node> found;
    collect(node_, static_cast<int>(scope), condition, found, false);
    *out = make_element_array(found);
    return S_OK;
  }
  HRESULT on_FindFirst(TreeScope scope, IUIAutomationCondition* condition,
                       IUIAutomationElement** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    HRESULT checked = check_find(scope, condition);
    if (FAILED(checked)) return checked;
    std::vector<Node> found;
    collect(node_, static_cast<int>(scope), condition, found, true);
    if (!found.empty()) *out = make_element(found.front());
    return S_OK;
  }
  HRESULT on_SetFocus() override {
    if (!alive(node_)) return element_gone();
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
  HRESULT text(BSTR* out, const std::wstring& value) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!alive(node_)) return element_gone();
    *out = make_bstr(value);
    return S_OK;
  }
  HRESULT flag(BOOL* out, bool value) {
    if (out == nullptr) return E_POINTER;
    if (!alive(node_)) return element_gone();
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
    if (!alive(node_)) return element_gone();
    return S_OK;
  }
  // Tree order: an element before its children, children in window z-order.
  static bool collect(const Node& node, int scope, IUIAutomationCondition* condition,
                      std::vector<Node>& found, bool first_only) {
    if ((scope & kTreeScopeElement) && matches(condition, node)) {
      found.push_back(node);
      if (first_only) return true;
    }
    if ((scope & (kTreeScopeChildren | kTreeScopeDescendants)) == 0) return false;
    int below = (scope & kTreeScopeDescendants) ? (kTreeScopeElement | kTreeScopeDescendants)
                                                : kTreeScopeElement;
    for (const Node& child : children(node)) {
      if (collect(child, below, condition, found, first_only)) return true;
    }
    return false;
  }

  Node node_;
};

class ElementArray final
    : public ComObject<CountedIUIAutomationElementArray, iid::kElementArray> {
 public:
  explicit ElementArray(const std::vector<Node>& nodes) : nodes_(nodes) {}

 protected:
  HRESULT on_get_Length(int* out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<int>(nodes_.size());
    return S_OK;
  }
  HRESULT on_GetElement(int index, IUIAutomationElement** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) {
      return fail(E_INVALIDARG, L"Element index " + std::to_wstring(index) + L" is out of range");
    }
    *out = make_element(nodes_[static_cast<size_t>(index)]);
    return S_OK;
  }

 private:
  std::vector<Node> nodes_;
};

}  // namespace

IUIAutomationElement* make_element(const Node& node) { return new Element(node); }

IUIAutomationElementArray* make_element_array(const std::vector<Node>& nodes) {
  return new ElementArray(nodes);
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
