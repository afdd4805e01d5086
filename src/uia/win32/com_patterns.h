#pragma once
// The control patterns of an element over their COM interfaces. Private to
// src/uia/win32/.

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "uia/win32/com_calls.h"

namespace winhelper::uia::detail {

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
  explicit ComExpandCollapse(ComPtr<sdk::IUIAutomationExpandCollapsePattern> p)
      : p_(std::move(p)) {}
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
  // Always a real string: COM reads a null BSTR as the empty one, but some
  // providers refuse it (E_INVALIDARG), so clearing a field passes "".
  Status set_value(const std::string& text) override {
    UniqueBstr value = text.empty() ? UniqueBstr(SysAllocString(L"")) : to_bstr(text);
    if (value.get() == nullptr) return com_failure(E_OUTOFMEMORY);
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

// Holds the document range once fetched, so that a bounded read and the
// count of the rest cost one get_DocumentRange between them.
class ComText final : public TextPattern {
 public:
  explicit ComText(ComPtr<sdk::IUIAutomationTextPattern> p) : p_(std::move(p)) {}
  Result<std::string> document_text(int max_length) override {
    auto range = document_range();
    if (!range) return std::move(range).take_error();
    UniqueBstr text;
    RETURN_IF_FAILED(range.value()->GetText(max_length, text.put()));
    if (!text) return null_failure();
    return to_utf8(text.get());
  }
  Result<std::int64_t> document_characters() override {
    auto range = document_range();
    if (!range) return std::move(range).take_error();
    int moved = 0;
    RETURN_IF_FAILED(range.value()->MoveEndpointByUnit(sdk::TextPatternRangeEndpoint_Start,
                                                       sdk::TextUnit_Character,
                                                       std::numeric_limits<int>::max(), &moved));
    range_.reset();  // moved: a later read fetches the document again
    return static_cast<std::int64_t>(moved);
  }

 private:
  Result<sdk::IUIAutomationTextRange*> document_range() {
    if (!range_) {
      RETURN_IF_FAILED(p_->get_DocumentRange(range_.put()));
      if (!range_) return null_failure();
    }
    return range_.get();
  }

  ComPtr<sdk::IUIAutomationTextPattern> p_;
  ComPtr<sdk::IUIAutomationTextRange> range_;
};

}  // namespace winhelper::uia::detail
