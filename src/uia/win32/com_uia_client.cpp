#include "uia/win32/com_uia_client.h"

#include <cstdio>
#include <source_location>
#include <string_view>

#include "common/text.h"
#include "common/win32/com_owners.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
#include "uia/provider_timeouts.h"
#include "uia/win32/uia_sdk.h"

namespace winhelper::uia {
namespace {

using win32::ComPtr;
using win32::UniqueBstr;
using win32::Variant;

UiaError com_failure(HRESULT hr) {
  return platform_failure(static_cast<std::uint32_t>(hr), com_error_text(hr));
}

// A call that succeeded without handing back an object.
UiaError null_failure() {
  return uia_failure(com_error_text(S_OK));
}

// Where a COM call was made: its function and line in this file. Helpers
// that are handed a call's result take their caller's place by default.
using Place = std::source_location;

// The failure of the COM call made at `call`. The place is never part of the
// message; debug builds write it to the debug output, so that a debugger or a
// trace viewer shows which call failed.
auto failed_call(HRESULT hr, const Place& call) {
  auto failure = com_failure(hr);
#ifndef NDEBUG
  char line[512];
  std::snprintf(line, sizeof line, "%s:%u %s: 0x%08lX\n", call.file_name(),
                static_cast<unsigned>(call.line()), call.function_name(),
                static_cast<unsigned long>(hr));
  OutputDebugStringA(line);
#else
  static_cast<void>(call);
#endif
  return failure;
}

// Returns the failure of `call` (an expression giving an HRESULT) from the
// enclosing function when it fails, naming `where` as the call's place.
#define RETURN_IF_FAILED_AT(call, where)                       \
  do {                                                         \
    if (const HRESULT failed_hr = (call); FAILED(failed_hr)) { \
      return failed_call(failed_hr, where);                    \
    }                                                          \
  } while (false)

#define RETURN_IF_FAILED(call) RETURN_IF_FAILED_AT(call, Place::current())

std::string to_utf8(BSTR text) {
  if (text == nullptr) return {};
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
}

// The empty text becomes the null BSTR, COM's empty string.
UniqueBstr to_bstr(const std::string& text) {
  if (text.empty()) return UniqueBstr();
  std::u16string wide = utf8_to_utf16(text);
  return UniqueBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                      static_cast<UINT>(wide.size())));
}

template <typename Get>
Result<std::string> read_string(Get get, Place call = Place::current()) {
  UniqueBstr text;
  RETURN_IF_FAILED_AT(get(text.put()), call);
  return to_utf8(text.get());
}

template <typename Get>
Result<bool> read_bool(Get get, Place call = Place::current()) {
  BOOL value = FALSE;
  RETURN_IF_FAILED_AT(get(&value), call);
  return value != FALSE;
}

Status status_of(HRESULT hr, Place call = Place::current()) {
  RETURN_IF_FAILED_AT(hr, call);
  return ok_status();
}

class ComCondition final : public Condition {
 public:
  ComPtr<IUIAutomationCondition> condition;
};

IUIAutomationCondition* com_condition(Condition& condition) {
  return static_cast<ComCondition&>(condition).condition.get();
}

class ComCacheRequest final : public CacheRequest {
 public:
  ComPtr<IUIAutomationCacheRequest> request;
};

IUIAutomationCacheRequest* com_request(CacheRequest& request) {
  return static_cast<ComCacheRequest&>(request).request.get();
}

// A VT_BOOL as it is, other types through oleaut32's coercion: propsys's
// VariantToBoolean is missing from Wine, where calling it aborts the process.
Result<bool> variant_bool(Variant& value) {
  if (value.get().vt == VT_BOOL) return value.get().boolVal != VARIANT_FALSE;
  Variant converted;
  RETURN_IF_FAILED(VariantChangeType(converted.put(), &value.get(), 0, VT_BOOL));
  return converted.get().boolVal != VARIANT_FALSE;
}

// A one-dimensional array of 32-bit integers, element by element.
Result<RuntimeId> int_array(SAFEARRAY* array) {
  if (array == nullptr) return null_failure();
  LONG lower = 0;
  LONG upper = -1;
  RETURN_IF_FAILED(SafeArrayGetLBound(array, 1, &lower));
  RETURN_IF_FAILED(SafeArrayGetUBound(array, 1, &upper));
  RuntimeId id;
  for (LONG i = lower; i <= upper; ++i) {
    LONG part = 0;
    RETURN_IF_FAILED(SafeArrayGetElement(array, &i, &part));
    id.push_back(static_cast<std::int32_t>(part));
  }
  return id;
}

// A cached value of an unexpected type (UI Automation's "not supported"
// marker among them) counts as a failed read.
UiaError type_failure() {
  return com_failure(DISP_E_TYPEMISMATCH);
}

class ComInvoke final : public InvokePattern {
 public:
  explicit ComInvoke(ComPtr<sdk::IUIAutomationInvokePattern> p) : p_(std::move(p)) {}
  Status invoke() override { return status_of(p_->Invoke()); }

 private:
  ComPtr<sdk::IUIAutomationInvokePattern> p_;
};

class ComToggle final : public TogglePattern {
 public:
  explicit ComToggle(ComPtr<sdk::IUIAutomationTogglePattern> p) : p_(std::move(p)) {}
  Status toggle() override { return status_of(p_->Toggle()); }
  Result<int> toggle_state() override {
    sdk::ToggleState state = sdk::ToggleState_Off;
    RETURN_IF_FAILED(p_->get_CurrentToggleState(&state));
    return static_cast<int>(state);
  }

 private:
  ComPtr<sdk::IUIAutomationTogglePattern> p_;
};

class ComSelectionItem final : public SelectionItemPattern {
 public:
  explicit ComSelectionItem(ComPtr<sdk::IUIAutomationSelectionItemPattern> p) : p_(std::move(p)) {}
  Status select() override { return status_of(p_->Select()); }
  Result<bool> is_selected() override {
    return read_bool([&](BOOL* v) { return p_->get_CurrentIsSelected(v); });
  }

 private:
  ComPtr<sdk::IUIAutomationSelectionItemPattern> p_;
};

class ComExpandCollapse final : public ExpandCollapsePattern {
 public:
  explicit ComExpandCollapse(ComPtr<sdk::IUIAutomationExpandCollapsePattern> p) : p_(std::move(p)) {}
  Status expand() override { return status_of(p_->Expand()); }

 private:
  ComPtr<sdk::IUIAutomationExpandCollapsePattern> p_;
};

class ComLegacy final : public LegacyAccessiblePattern {
 public:
  explicit ComLegacy(ComPtr<IUIAutomationLegacyIAccessiblePattern> p) : p_(std::move(p)) {}
  Result<std::string> default_action() override {
    return read_string([&](BSTR* v) { return p_->get_CurrentDefaultAction(v); });
  }
  Status do_default_action() override { return status_of(p_->DoDefaultAction()); }

 private:
  ComPtr<IUIAutomationLegacyIAccessiblePattern> p_;
};

class ComValue final : public ValuePattern {
 public:
  explicit ComValue(ComPtr<IUIAutomationValuePattern> p) : p_(std::move(p)) {}
  Result<std::string> value() override {
    return read_string([&](BSTR* v) { return p_->get_CurrentValue(v); });
  }
  Result<bool> is_read_only() override {
    return read_bool([&](BOOL* v) { return p_->get_CurrentIsReadOnly(v); });
  }
  Status set_value(const std::string& text) override {
    UniqueBstr value = to_bstr(text);
    if (!text.empty() && value.get() == nullptr) return com_failure(E_OUTOFMEMORY);
    return status_of(p_->SetValue(value.get()));
  }

 private:
  ComPtr<IUIAutomationValuePattern> p_;
};

class ComScroll final : public ScrollPattern {
 public:
  explicit ComScroll(ComPtr<sdk::IUIAutomationScrollPattern> p) : p_(std::move(p)) {}
  Status scroll(ScrollAmount horizontal, ScrollAmount vertical) override {
    return status_of(p_->Scroll(static_cast<sdk::ScrollAmount>(horizontal),
                                static_cast<sdk::ScrollAmount>(vertical)));
  }

 private:
  ComPtr<sdk::IUIAutomationScrollPattern> p_;
};

class ComText final : public TextPattern {
 public:
  explicit ComText(ComPtr<sdk::IUIAutomationTextPattern> p) : p_(std::move(p)) {}
  Result<std::string> document_text() override {
    ComPtr<sdk::IUIAutomationTextRange> range;
    RETURN_IF_FAILED(p_->get_DocumentRange(range.put()));
    if (!range) return null_failure();
    UniqueBstr text;
    RETURN_IF_FAILED(range->GetText(-1, text.put()));
    if (!text) return null_failure();
    return to_utf8(text.get());
  }

 private:
  ComPtr<sdk::IUIAutomationTextPattern> p_;
};

class ComElement final : public Element {
 public:
  explicit ComElement(ComPtr<IUIAutomationElement> e) : e_(std::move(e)) {}
  IUIAutomationElement* raw() const { return e_.get(); }

  Result<RuntimeId> runtime_id() override {
    win32::UniqueSafeArray array;
    RETURN_IF_FAILED(e_->GetRuntimeId(array.put()));
    return int_array(array.get());
  }
  Result<int> control_type() override {
    CONTROLTYPEID type = 0;
    RETURN_IF_FAILED(e_->get_CurrentControlType(&type));
    return static_cast<int>(type);
  }
  Result<std::string> name() override {
    return read_string([&](BSTR* v) { return e_->get_CurrentName(v); });
  }
  Result<std::string> automation_id() override {
    return read_string([&](BSTR* v) { return e_->get_CurrentAutomationId(v); });
  }
  Result<std::string> class_name() override {
    return read_string([&](BSTR* v) { return e_->get_CurrentClassName(v); });
  }
  Result<ScreenRect> bounding_rectangle() override {
    RECT rect{};
    RETURN_IF_FAILED(e_->get_CurrentBoundingRectangle(&rect));
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
  }
  Result<bool> is_offscreen() override {
    return read_bool([&](BOOL* v) { return e_->get_CurrentIsOffscreen(v); });
  }
  Result<bool> is_enabled() override {
    return read_bool([&](BOOL* v) { return e_->get_CurrentIsEnabled(v); });
  }
  Result<bool> is_keyboard_focusable() override {
    return read_bool([&](BOOL* v) { return e_->get_CurrentIsKeyboardFocusable(v); });
  }
  Result<bool> is_password() override {
    return read_bool([&](BOOL* v) { return e_->get_CurrentIsPassword(v); });
  }
  Result<bool> property_bool(int property_id) override {
    Variant value;
    RETURN_IF_FAILED(
        e_->GetCurrentPropertyValue(static_cast<PROPERTYID>(property_id), value.put()));
    return variant_bool(value);
  }

  Result<ElementPtr> build_updated_cache(CacheRequest& request) override;
  Result<std::unique_ptr<ElementArray>> find_all_subtree_build_cache(
      Condition& condition, CacheRequest& request) override;
  Result<ElementPtr> find_first_subtree_build_cache(Condition& condition,
                                                    CacheRequest& request) override;

  Result<bool> cached_bool(int property_id) override {
    Variant value;
    RETURN_IF_FAILED(cached(property_id, value));
    // An empty value is no answer, not false.
    if (value.get().vt == VT_EMPTY) return type_failure();
    return variant_bool(value);
  }
  Result<int> cached_int(int property_id) override {
    Variant value;
    RETURN_IF_FAILED(cached(property_id, value));
    if (value.get().vt != VT_I4) return type_failure();
    return static_cast<int>(value.get().lVal);
  }
  Result<std::string> cached_string(int property_id) override {
    Variant value;
    RETURN_IF_FAILED(cached(property_id, value));
    if (value.get().vt == VT_EMPTY) return std::string();
    if (value.get().vt != VT_BSTR) return type_failure();
    return to_utf8(value.get().bstrVal);
  }
  Result<RuntimeId> cached_runtime_id() override {
    Variant value;
    RETURN_IF_FAILED(cached(UIA_RuntimeIdPropertyId, value));
    if (value.get().vt != (VT_ARRAY | VT_I4)) return type_failure();
    return int_array(value.get().parray);
  }
  Result<ScreenRect> cached_bounding_rectangle() override {
    RECT rect{};
    RETURN_IF_FAILED(e_->get_CachedBoundingRectangle(&rect));
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
  }
  Result<std::unique_ptr<ElementArray>> cached_children() override;

  Result<std::unique_ptr<ElementArray>> find_all_subtree(Condition& condition) override;
  Result<ElementPtr> find_first_subtree(Condition& condition) override;

  Status set_focus() override { return status_of(e_->SetFocus()); }

  std::unique_ptr<InvokePattern> invoke_pattern() override {
    return pattern<ComInvoke, sdk::IUIAutomationInvokePattern>(sdk::kInvokePatternId,
                                                               sdk::kIidInvokePattern);
  }
  std::unique_ptr<TogglePattern> toggle_pattern() override {
    return pattern<ComToggle, sdk::IUIAutomationTogglePattern>(sdk::kTogglePatternId,
                                                               sdk::kIidTogglePattern);
  }
  std::unique_ptr<SelectionItemPattern> selection_item_pattern() override {
    return pattern<ComSelectionItem, sdk::IUIAutomationSelectionItemPattern>(
        sdk::kSelectionItemPatternId, sdk::kIidSelectionItemPattern);
  }
  std::unique_ptr<ExpandCollapsePattern> expand_collapse_pattern() override {
    return pattern<ComExpandCollapse, sdk::IUIAutomationExpandCollapsePattern>(
        sdk::kExpandCollapsePatternId, sdk::kIidExpandCollapsePattern);
  }
  std::unique_ptr<LegacyAccessiblePattern> legacy_accessible_pattern() override {
    return pattern<ComLegacy, IUIAutomationLegacyIAccessiblePattern>(
        sdk::kLegacyIAccessiblePatternId, sdk::kIidLegacyIAccessiblePattern);
  }
  std::unique_ptr<ValuePattern> value_pattern() override {
    return pattern<ComValue, IUIAutomationValuePattern>(sdk::kValuePatternId,
                                                        sdk::kIidValuePattern);
  }
  std::unique_ptr<ScrollPattern> scroll_pattern() override {
    return pattern<ComScroll, sdk::IUIAutomationScrollPattern>(sdk::kScrollPatternId,
                                                               sdk::kIidScrollPattern);
  }
  std::unique_ptr<TextPattern> text_pattern() override {
    return pattern<ComText, sdk::IUIAutomationTextPattern>(sdk::kTextPatternId,
                                                           sdk::kIidTextPattern);
  }

 private:
  // Null when the call fails or hands back nothing: a missing pattern.
  template <typename Wrapper, typename Interface>
  std::unique_ptr<Wrapper> pattern(PATTERNID id, const IID& iid) {
    ComPtr<Interface> p;
    HRESULT hr = e_->GetCurrentPatternAs(id, iid, p.put_void());
    if (FAILED(hr) || !p) return nullptr;
    return std::make_unique<Wrapper>(std::move(p));
  }

  HRESULT cached(int property_id, Variant& value) {
    return e_->GetCachedPropertyValue(static_cast<PROPERTYID>(property_id), value.put());
  }

  ComPtr<IUIAutomationElement> e_;
};

ElementPtr wrap(ComPtr<IUIAutomationElement> element) {
  return std::make_unique<ComElement>(std::move(element));
}

// An element handed back by a call, or the failure of that call.
Result<ElementPtr> element_result(HRESULT hr, ComPtr<IUIAutomationElement> element,
                                  Place call = Place::current()) {
  RETURN_IF_FAILED_AT(hr, call);
  if (!element) return null_failure();
  return wrap(std::move(element));
}

class ComElementArray final : public ElementArray {
 public:
  explicit ComElementArray(ComPtr<IUIAutomationElementArray> a) : a_(std::move(a)) {}
  Result<int> length() override {
    int length = 0;
    RETURN_IF_FAILED(a_->get_Length(&length));
    return length;
  }
  Result<ElementPtr> element(int index) override {
    ComPtr<IUIAutomationElement> element;
    HRESULT hr = a_->GetElement(index, element.put());
    return element_result(hr, std::move(element));
  }

 private:
  ComPtr<IUIAutomationElementArray> a_;
};

Result<std::unique_ptr<ElementArray>> array_result(HRESULT hr,
                                                   ComPtr<IUIAutomationElementArray> all,
                                                   Place call = Place::current()) {
  RETURN_IF_FAILED_AT(hr, call);
  if (!all) return null_failure();
  return std::unique_ptr<ElementArray>(std::make_unique<ComElementArray>(std::move(all)));
}

Result<std::unique_ptr<ElementArray>> ComElement::find_all_subtree(Condition& condition) {
  ComPtr<IUIAutomationElementArray> all;
  HRESULT hr = e_->FindAll(sdk::kTreeScopeSubtree, com_condition(condition), all.put());
  return array_result(hr, std::move(all));
}

Result<std::unique_ptr<ElementArray>> ComElement::find_all_subtree_build_cache(
    Condition& condition, CacheRequest& request) {
  ComPtr<IUIAutomationElementArray> all;
  HRESULT hr = e_->FindAllBuildCache(sdk::kTreeScopeSubtree, com_condition(condition),
                                     com_request(request), all.put());
  return array_result(hr, std::move(all));
}

Result<ElementPtr> ComElement::find_first_subtree(Condition& condition) {
  ComPtr<IUIAutomationElement> found;
  HRESULT hr = e_->FindFirst(sdk::kTreeScopeSubtree, com_condition(condition), found.put());
  return element_result(hr, std::move(found));
}

Result<ElementPtr> ComElement::find_first_subtree_build_cache(Condition& condition,
                                                              CacheRequest& request) {
  ComPtr<IUIAutomationElement> found;
  HRESULT hr = e_->FindFirstBuildCache(sdk::kTreeScopeSubtree, com_condition(condition),
                                       com_request(request), found.put());
  return element_result(hr, std::move(found));
}

Result<ElementPtr> ComElement::build_updated_cache(CacheRequest& request) {
  ComPtr<IUIAutomationElement> updated;
  HRESULT hr = e_->BuildUpdatedCache(com_request(request), updated.put());
  return element_result(hr, std::move(updated));
}

Result<std::unique_ptr<ElementArray>> ComElement::cached_children() {
  ComPtr<IUIAutomationElementArray> children;
  HRESULT hr = e_->GetCachedChildren(children.put());
  return array_result(hr, std::move(children));
}

class ComTreeWalker final : public TreeWalker {
 public:
  explicit ComTreeWalker(ComPtr<IUIAutomationTreeWalker> w) : w_(std::move(w)) {}
  Result<ElementPtr> parent(Element& element) override {
    ComPtr<IUIAutomationElement> parent;
    HRESULT hr = w_->GetParentElement(static_cast<ComElement&>(element).raw(), parent.put());
    return element_result(hr, std::move(parent));
  }
  Result<ElementPtr> parent_build_cache(Element& element, CacheRequest& request) override {
    ComPtr<IUIAutomationElement> parent;
    HRESULT hr = w_->GetParentElementBuildCache(static_cast<ComElement&>(element).raw(),
                                                com_request(request), parent.put());
    return element_result(hr, std::move(parent));
  }

 private:
  ComPtr<IUIAutomationTreeWalker> w_;
};

// Declared in this order so that the automation object is released before
// the apartment is left.
class ComSession final : public Session {
 public:
  ComSession(win32::UniqueCoUninitialize apartment, ComPtr<IUIAutomation> automation)
      : apartment_(std::move(apartment)), automation_(std::move(automation)) {}

  Result<ElementPtr> element_from_handle(std::int64_t window_handle) override {
    ComPtr<IUIAutomationElement> root;
    HRESULT hr = automation_->ElementFromHandle(
        reinterpret_cast<UIA_HWND>(static_cast<INT_PTR>(window_handle)), root.put());
    return element_result(hr, std::move(root));
  }
  Result<ElementPtr> element_from_point(std::int32_t x, std::int32_t y) override {
    ComPtr<IUIAutomationElement> hit;
    HRESULT hr = automation_->ElementFromPoint(POINT{x, y}, hit.put());
    return element_result(hr, std::move(hit));
  }
  Result<std::unique_ptr<TreeWalker>> control_view_walker() override {
    ComPtr<IUIAutomationTreeWalker> walker;
    RETURN_IF_FAILED(automation_->get_ControlViewWalker(walker.put()));
    if (!walker) return null_failure();
    return std::unique_ptr<TreeWalker>(std::make_unique<ComTreeWalker>(std::move(walker)));
  }
  Result<ConditionPtr> create_true_condition() override {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateTrueCondition(condition->condition.put());
    return condition_result(hr, std::move(condition));
  }
  Result<ConditionPtr> create_automation_id_condition(const std::string& automation_id) override {
    Variant value;
    UniqueBstr text = to_bstr(automation_id);
    value.get().vt = VT_BSTR;
    // The variant takes the string over and frees it.
    value.get().bstrVal = text.release();
    return property_condition(sdk::kAutomationIdPropertyId, value);
  }
  Result<ConditionPtr> create_runtime_id_condition(const RuntimeId& runtime_id) override {
    Variant value;
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(runtime_id.size()));
    if (array == nullptr) return com_failure(E_OUTOFMEMORY);
    value.get().vt = VT_ARRAY | VT_I4;
    value.get().parray = array;  // the variant frees it
    for (LONG i = 0; i < static_cast<LONG>(runtime_id.size()); ++i) {
      LONG part = runtime_id[static_cast<std::size_t>(i)];
      RETURN_IF_FAILED(SafeArrayPutElement(array, &i, &part));
    }
    return property_condition(UIA_RuntimeIdPropertyId, value);
  }
  Result<ConditionPtr> create_bool_condition(int property_id, bool flag) override {
    Variant value;
    value.get().vt = VT_BOOL;
    value.get().boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return property_condition(static_cast<PROPERTYID>(property_id), value);
  }
  Result<ConditionPtr> create_and_condition(Condition& first, Condition& second) override {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateAndCondition(com_condition(first), com_condition(second),
                                                 condition->condition.put());
    return condition_result(hr, std::move(condition));
  }
  Result<ConditionPtr> create_or_condition(const std::vector<Condition*>& conditions) override {
    std::vector<IUIAutomationCondition*> raws;
    for (Condition* c : conditions) raws.push_back(com_condition(*c));
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateOrConditionFromNativeArray(
        raws.data(), static_cast<int>(raws.size()), condition->condition.put());
    return condition_result(hr, std::move(condition));
  }
  Result<CacheRequestPtr> create_cache_request(const CacheRequestSpec& spec) override {
    auto request = std::make_unique<ComCacheRequest>();
    RETURN_IF_FAILED(automation_->CreateCacheRequest(request->request.put()));
    if (!request->request) return null_failure();
    IUIAutomationCacheRequest* r = request->request.get();
    for (int id : spec.properties) RETURN_IF_FAILED(r->AddProperty(static_cast<PROPERTYID>(id)));
    RETURN_IF_FAILED(r->put_TreeScope(static_cast<::TreeScope>(spec.scope)));
    if (spec.tree_filter != nullptr) {
      RETURN_IF_FAILED(r->put_TreeFilter(com_condition(*spec.tree_filter)));
    }
    auto mode =
        spec.mode == ElementMode::None ? AutomationElementMode_None : AutomationElementMode_Full;
    RETURN_IF_FAILED(r->put_AutomationElementMode(mode));
    return CacheRequestPtr(std::move(request));
  }
  Result<ElementPtr> element_from_handle_build_cache(std::int64_t window_handle,
                                                     CacheRequest& request) override {
    ComPtr<IUIAutomationElement> root;
    HRESULT hr = automation_->ElementFromHandleBuildCache(
        reinterpret_cast<UIA_HWND>(static_cast<INT_PTR>(window_handle)), com_request(request),
        root.put());
    return element_result(hr, std::move(root));
  }
  Result<ElementPtr> element_from_point_build_cache(std::int32_t x, std::int32_t y,
                                                    CacheRequest& request) override {
    ComPtr<IUIAutomationElement> hit;
    HRESULT hr =
        automation_->ElementFromPointBuildCache(POINT{x, y}, com_request(request), hit.put());
    return element_result(hr, std::move(hit));
  }

 private:
  static Result<ConditionPtr> condition_result(HRESULT hr, std::unique_ptr<ComCondition> condition,
                                               Place call = Place::current()) {
    RETURN_IF_FAILED_AT(hr, call);
    if (!condition->condition) return null_failure();
    return ConditionPtr(std::move(condition));
  }
  Result<ConditionPtr> property_condition(PROPERTYID property, Variant& value) {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr =
        automation_->CreatePropertyCondition(property, value.get(), condition->condition.put());
    return condition_result(hr, std::move(condition));
  }

  win32::UniqueCoUninitialize apartment_;
  ComPtr<IUIAutomation> automation_;
};

}  // namespace

OpenResult ComUiaClient::open() {
  const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(entered)) {
    return OpenResult{
        nullptr,
        OpenFailure{OpenFailure::Stage::ComInitialize, static_cast<std::uint32_t>(entered), {}}};
  }
  win32::UniqueCoUninitialize apartment(true);
  ComPtr<IUIAutomation> automation;
  HRESULT hr = CoCreateInstance(sdk::kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER,
                                sdk::kIidIUIAutomation, automation.put_void());
  if (FAILED(hr) || !automation) {
    // The text is taken while the apartment is still entered; leaving it
    // (the apartment's destructor) follows.
    std::string text = FAILED(hr) ? com_error_text(hr) : com_error_text(S_OK);
    std::uint32_t code = FAILED(hr) ? static_cast<std::uint32_t>(hr) : 0u;
    return OpenResult{nullptr, OpenFailure{OpenFailure::Stage::CreateAutomation, code, std::move(text)}};
  }
  // The timeouts belong to this automation object and so to this session.
  // Without IUIAutomation2 (older systems, test servers) the system's own
  // limits stay; a refused setting does too.
  ComPtr<IUIAutomation2> bounded;
  if (SUCCEEDED(automation->QueryInterface(sdk::kIidIUIAutomation2, bounded.put_void())) && bounded) {
    bounded->put_ConnectionTimeout(kProviderConnectionTimeoutMs);
    bounded->put_TransactionTimeout(kProviderTransactionTimeoutMs);
  }
  return OpenResult{std::make_unique<ComSession>(std::move(apartment), std::move(automation)), {}};
}

}  // namespace winhelper::uia
