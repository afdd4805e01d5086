#include "uia/win32/com_uia_client.h"

#include <string_view>

#include "common/text.h"
#include "common/win32/platform_error_win32.h"
#include "uia/win32/com_resources.h"
#include "uia/win32/uia_sdk.h"

namespace winhelper::uia {
namespace {

using com::Bstr;
using com::ComPtr;

HelperError com_failure(HRESULT hr) { return uia_failure(com_error_text(hr)); }

// A call that succeeded without handing back an object.
HelperError null_failure() { return uia_failure(com_error_text(S_OK)); }

std::string to_utf8(const Bstr& text) {
  if (text.get() == nullptr) return {};
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.get()), text.length()));
}

// The empty text becomes the null BSTR, COM's empty string.
Bstr to_bstr(const std::string& text) {
  if (text.empty()) return Bstr();
  std::u16string wide = utf8_to_utf16(text);
  return Bstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                static_cast<UINT>(wide.size())));
}

template <typename Get>
Result<std::string> read_string(Get get) {
  Bstr text;
  HRESULT hr = get(text.put());
  if (FAILED(hr)) return com_failure(hr);
  return to_utf8(text);
}

template <typename Get>
Result<bool> read_bool(Get get) {
  BOOL value = FALSE;
  HRESULT hr = get(&value);
  if (FAILED(hr)) return com_failure(hr);
  return value != FALSE;
}

Status status_of(HRESULT hr) {
  if (FAILED(hr)) return com_failure(hr);
  return ok_status();
}

class ComCondition final : public Condition {
 public:
  ComPtr<IUIAutomationCondition> condition;
};

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
    HRESULT hr = p_->get_CurrentToggleState(&state);
    if (FAILED(hr)) return com_failure(hr);
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
    Bstr value = to_bstr(text);
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
    HRESULT hr = p_->get_DocumentRange(range.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!range) return null_failure();
    Bstr text;
    hr = range->GetText(-1, text.put());
    if (FAILED(hr)) return com_failure(hr);
    if (text.get() == nullptr) return null_failure();
    return to_utf8(text);
  }

 private:
  ComPtr<sdk::IUIAutomationTextPattern> p_;
};

class ComElement final : public Element {
 public:
  explicit ComElement(ComPtr<IUIAutomationElement> e) : e_(std::move(e)) {}
  IUIAutomationElement* raw() const { return e_.get(); }

  Result<RuntimeId> runtime_id() override {
    com::SafeArray array;
    HRESULT hr = e_->GetRuntimeId(array.put());
    if (FAILED(hr)) return com_failure(hr);
    if (array.get() == nullptr) return null_failure();
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(hr = SafeArrayGetLBound(array.get(), 1, &lower))) return com_failure(hr);
    if (FAILED(hr = SafeArrayGetUBound(array.get(), 1, &upper))) return com_failure(hr);
    RuntimeId id;
    for (LONG i = lower; i <= upper; ++i) {
      LONG part = 0;
      if (FAILED(hr = SafeArrayGetElement(array.get(), &i, &part))) return com_failure(hr);
      id.push_back(static_cast<std::int32_t>(part));
    }
    return id;
  }
  Result<int> control_type() override {
    CONTROLTYPEID type = 0;
    HRESULT hr = e_->get_CurrentControlType(&type);
    if (FAILED(hr)) return com_failure(hr);
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
    HRESULT hr = e_->get_CurrentBoundingRectangle(&rect);
    if (FAILED(hr)) return com_failure(hr);
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
    com::Variant value;
    HRESULT hr = e_->GetCurrentPropertyValue(static_cast<PROPERTYID>(property_id), value.put());
    if (FAILED(hr)) return com_failure(hr);
    // The availability properties arrive as VT_BOOL. Other types go through
    // oleaut32's coercion: propsys's VariantToBoolean is missing from Wine,
    // where calling it aborts the process.
    if (value.get().vt == VT_BOOL) return value.get().boolVal != VARIANT_FALSE;
    com::Variant converted;
    hr = VariantChangeType(converted.put(), &value.get(), 0, VT_BOOL);
    if (FAILED(hr)) return com_failure(hr);
    return converted.get().boolVal != VARIANT_FALSE;
  }

  Result<std::unique_ptr<ElementArray>> find_all_subtree(Condition& condition) override;
  Result<ElementPtr> find_first_subtree(Condition& condition) override {
    ComPtr<IUIAutomationElement> found;
    HRESULT hr = e_->FindFirst(sdk::kTreeScopeSubtree,
                               static_cast<ComCondition&>(condition).condition.get(), found.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!found) return null_failure();
    return ElementPtr(std::make_unique<ComElement>(std::move(found)));
  }

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

  ComPtr<IUIAutomationElement> e_;
};

ElementPtr wrap(ComPtr<IUIAutomationElement> element) {
  return std::make_unique<ComElement>(std::move(element));
}

class ComElementArray final : public ElementArray {
 public:
  explicit ComElementArray(ComPtr<IUIAutomationElementArray> a) : a_(std::move(a)) {}
  Result<int> length() override {
    int length = 0;
    HRESULT hr = a_->get_Length(&length);
    if (FAILED(hr)) return com_failure(hr);
    return length;
  }
  Result<ElementPtr> element(int index) override {
    ComPtr<IUIAutomationElement> element;
    HRESULT hr = a_->GetElement(index, element.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!element) return null_failure();
    return wrap(std::move(element));
  }

 private:
  ComPtr<IUIAutomationElementArray> a_;
};

Result<std::unique_ptr<ElementArray>> ComElement::find_all_subtree(Condition& condition) {
  ComPtr<IUIAutomationElementArray> all;
  HRESULT hr = e_->FindAll(sdk::kTreeScopeSubtree, static_cast<ComCondition&>(condition).condition.get(),
                           all.put());
  if (FAILED(hr)) return com_failure(hr);
  if (!all) return null_failure();
  return std::unique_ptr<ElementArray>(std::make_unique<ComElementArray>(std::move(all)));
}

class ComTreeWalker final : public TreeWalker {
 public:
  explicit ComTreeWalker(ComPtr<IUIAutomationTreeWalker> w) : w_(std::move(w)) {}
  Result<ElementPtr> parent(Element& element) override {
    ComPtr<IUIAutomationElement> parent;
    HRESULT hr = w_->GetParentElement(static_cast<ComElement&>(element).raw(), parent.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!parent) return null_failure();
    return wrap(std::move(parent));
  }

 private:
  ComPtr<IUIAutomationTreeWalker> w_;
};

// Declared in this order so that the automation object is released before
// the apartment is left.
class ComSession final : public Session {
 public:
  explicit ComSession(std::unique_ptr<com::Apartment> apartment, ComPtr<IUIAutomation> automation)
      : apartment_(std::move(apartment)), automation_(std::move(automation)) {}

  Result<ElementPtr> element_from_handle(std::int64_t window_handle) override {
    ComPtr<IUIAutomationElement> root;
    HRESULT hr = automation_->ElementFromHandle(
        reinterpret_cast<UIA_HWND>(static_cast<INT_PTR>(window_handle)), root.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!root) return null_failure();
    return wrap(std::move(root));
  }
  Result<ElementPtr> element_from_point(std::int32_t x, std::int32_t y) override {
    ComPtr<IUIAutomationElement> hit;
    HRESULT hr = automation_->ElementFromPoint(POINT{x, y}, hit.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!hit) return null_failure();
    return wrap(std::move(hit));
  }
  Result<std::unique_ptr<TreeWalker>> control_view_walker() override {
    ComPtr<IUIAutomationTreeWalker> walker;
    HRESULT hr = automation_->get_ControlViewWalker(walker.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!walker) return null_failure();
    return std::unique_ptr<TreeWalker>(std::make_unique<ComTreeWalker>(std::move(walker)));
  }
  Result<ConditionPtr> create_true_condition() override {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateTrueCondition(condition->condition.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!condition->condition) return null_failure();
    return ConditionPtr(std::move(condition));
  }
  Result<ConditionPtr> create_automation_id_condition(const std::string& automation_id) override {
    com::Variant value;
    Bstr text = to_bstr(automation_id);
    value.get().vt = VT_BSTR;
    // The variant takes the string over and frees it.
    value.get().bstrVal = text.release();
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreatePropertyCondition(sdk::kAutomationIdPropertyId, value.get(),
                                                      condition->condition.put());
    if (FAILED(hr)) return com_failure(hr);
    if (!condition->condition) return null_failure();
    return ConditionPtr(std::move(condition));
  }

 private:
  std::unique_ptr<com::Apartment> apartment_;
  ComPtr<IUIAutomation> automation_;
};

}  // namespace

OpenResult ComUiaClient::open() {
  auto apartment = std::make_unique<com::Apartment>();
  if (FAILED(apartment->result())) {
    return OpenResult{nullptr, OpenFailure{OpenFailure::Stage::ComInitialize,
                                           static_cast<std::uint32_t>(apartment->result()), {}}};
  }
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
  return OpenResult{std::make_unique<ComSession>(std::move(apartment), std::move(automation)), {}};
}

}  // namespace winhelper::uia
