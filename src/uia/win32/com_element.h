#pragma once
// An element over its COM object, and the wrapping of the elements calls hand
// back. Private to src/uia/win32/.

#include <memory>
#include <string>
#include <utility>

#include "uia/win32/com_calls.h"
#include "uia/win32/com_patterns.h"

namespace winhelper::uia::detail {

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

// An element handed back by a call, or the failure of that call.
Result<ElementPtr> element_result(HRESULT hr, ComPtr<IUIAutomationElement> element,
                                  Place call = Place::current());

}  // namespace winhelper::uia::detail
