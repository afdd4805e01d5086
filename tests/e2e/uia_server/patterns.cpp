// The control patterns, acting on the real controls through their own messages. Actions
// that may open a modal window (a button click) are posted, so the caller never waits on it.

#include <algorithm>
#include <string>

#include "call_log.h"
#include "com_object.h"
#include "counted_bases.h"
#include "provider_timeouts.h"
#include "server_objects.h"

namespace uia_server {
namespace {

namespace sdk = winhelper::uia::sdk;

constexpr HRESULT kElementNotEnabled = static_cast<HRESULT>(0x80040200L);
constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509L);

HRESULT usable(const Node& node) {
  if (HRESULT state = reach(node); FAILED(state)) return state;
  if (!enabled(node)) return fail(kElementNotEnabled, L"The control is disabled");
  return S_OK;
}

HRESULT post_click(const Node& node) {
  HRESULT state = usable(node);
  if (FAILED(state)) return state;
  if (!PostMessageW(node.window, BM_CLICK, 0, 0)) {
    return fail(HRESULT_FROM_WIN32(GetLastError()), L"The click could not be posted");
  }
  return S_OK;
}

// Selects a list entry and tells the list's owner, as a user's click would.
HRESULT select_item(const Node& node) {
  HRESULT state = usable(node);
  if (FAILED(state)) return state;
  LRESULT result = 0;
  if (!send(node.window, LB_SETCURSEL, node.item, 0, &result) || result == LB_ERR) {
    return fail(kInvalidOperation, L"The list refused the selection");
  }
  HWND owner = GetAncestor(node.window, GA_PARENT);
  PostMessageW(owner, WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(node.window), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(node.window));
  return S_OK;
}

// IInvokeProvider::Invoke "should return immediately without blocking", but whether it
// does "depends on the implementation": some frameworks' buttons run the modal dialog they
// open before Invoke returns. A button the application marks so is clicked with a sent
// message, which returns once the dialog has closed; the client's transaction timeout
// still ends the client's wait with UIA_E_TIMEOUT (the click goes on), as UI Automation's
// own timeouts do.
HRESULT blocking_click(const Node& node) {
  HRESULT state = usable(node);
  if (FAILED(state)) return state;
  DWORD limit = transaction_timeout();
  if (limit == 0) {
    SendMessageW(node.window, BM_CLICK, 0, 0);
    return S_OK;
  }
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(node.window, BM_CLICK, 0, 0, SMTO_NORMAL, limit, &answer) != 0) {
    return S_OK;
  }
  count_timed_out_call();
  return fail(kTimeout, L"The provider did not answer within " + std::to_wstring(limit) +
                            L" ms (transaction timeout)");
}

class Invoke final : public ComObject<CountedIUIAutomationInvokePattern, sdk::kIidInvokePattern> {
 public:
  explicit Invoke(const Node& node) : node_(node) {}

 protected:
  HRESULT on_Invoke() override {
    if (GetPropW(node_.window, L"TestAppInvokeBlocks") != nullptr) return blocking_click(node_);
    return post_click(node_);
  }

 private:
  Node node_;
};

class Toggle final : public ComObject<CountedIUIAutomationTogglePattern, sdk::kIidTogglePattern> {
 public:
  explicit Toggle(const Node& node) : node_(node) {}

 protected:
  // Sent, not posted: the state read right after must already be the new one.
  HRESULT on_Toggle() override {
    HRESULT state = usable(node_);
    if (FAILED(state)) return state;
    if (!send(node_.window, BM_CLICK, 0, 0)) {
      return fail(HRESULT_FROM_WIN32(ERROR_TIMEOUT), L"The check box did not answer the click");
    }
    return S_OK;
  }
  HRESULT on_get_CurrentToggleState(sdk::ToggleState* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    LRESULT check = 0;
    send(node_.window, BM_GETCHECK, 0, 0, &check);
    *out = check == BST_CHECKED         ? sdk::ToggleState_On
           : check == BST_INDETERMINATE ? sdk::ToggleState_Indeterminate
                                        : sdk::ToggleState_Off;
    return S_OK;
  }

 private:
  Node node_;
};

class SelectionItem final
    : public ComObject<CountedIUIAutomationSelectionItemPattern, sdk::kIidSelectionItemPattern> {
 public:
  explicit SelectionItem(const Node& node) : node_(node) {}

 protected:
  HRESULT on_Select() override { return select_item(node_); }
  HRESULT on_get_CurrentIsSelected(BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    LRESULT selected = 0;
    send(node_.window, LB_GETSEL, node_.item, 0, &selected);
    *out = selected > 0 ? TRUE : FALSE;
    return S_OK;
  }

 private:
  Node node_;
};

class Value final : public ComObject<CountedIUIAutomationValuePattern, sdk::kIidValuePattern> {
 public:
  explicit Value(const Node& node) : node_(node) {}

 protected:
  // IValueProvider::SetValue takes a string; COM reads a null BSTR as the empty one, but
  // providers may refuse it (Chromium's answers E_INVALIDARG), and so does this one.
  HRESULT on_SetValue(BSTR value) override {
    HRESULT state = usable(node_);
    if (FAILED(state)) return state;
    if (value == nullptr) return fail(E_INVALIDARG, L"SetValue needs a string, not null");
    if (read_only_edit(node_)) return fail(kInvalidOperation, L"The edit is read-only");
    std::wstring text(value != nullptr ? value : L"", SysStringLen(value));
    if (!send(node_.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
      return fail(HRESULT_FROM_WIN32(ERROR_TIMEOUT), L"The edit did not take the text");
    }
    return S_OK;
  }
  HRESULT on_get_CurrentValue(BSTR* out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    if (password(node_)) {
      count_password_value_read();
      return fail(E_ACCESSDENIED, L"A password field's value is not readable");
    }
    *out = make_bstr(window_text(node_.window));
    return S_OK;
  }
  HRESULT on_get_CurrentIsReadOnly(BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    *out = read_only_edit(node_) ? TRUE : FALSE;
    return S_OK;
  }

 private:
  Node node_;
};

class Scroll final : public ComObject<CountedIUIAutomationScrollPattern, sdk::kIidScrollPattern> {
 public:
  explicit Scroll(const Node& node) : node_(node) {}

 protected:
  HRESULT on_Scroll(sdk::ScrollAmount horizontal, sdk::ScrollAmount vertical) override {
    HRESULT state = usable(node_);
    if (FAILED(state)) return state;
    int across = code(horizontal, SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT);
    int down = code(vertical, SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN);
    if (across == -2 || down == -2) return fail(E_INVALIDARG, L"Unknown scroll amount");
    if (across >= 0) send(node_.window, WM_HSCROLL, static_cast<WPARAM>(across), 0);
    if (down >= 0) send(node_.window, WM_VSCROLL, static_cast<WPARAM>(down), 0);
    return S_OK;
  }
  HRESULT on_get_CurrentVerticalScrollPercent(double* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    int range = 0;
    if (GetScrollInfo(node_.window, SB_VERT, &info)) {
      range = info.nMax - info.nMin + 1 - static_cast<int>(info.nPage);
    }
    *out = range > 0 ? 100.0 * (info.nPos - info.nMin) / range : -1.0;
    return S_OK;
  }
  HRESULT on_get_CurrentVerticallyScrollable(BOOL* out) override {
    if (out == nullptr) return E_POINTER;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    *out = scrollable(node_) ? TRUE : FALSE;
    return S_OK;
  }

 private:
  // The scroll-bar code of an amount; -1 for none, -2 for an unknown amount.
  static int code(sdk::ScrollAmount amount, int small_back, int small_on, int large_back,
                  int large_on) {
    switch (amount) {
      case sdk::ScrollAmount_NoAmount: return -1;
      case sdk::ScrollAmount_SmallDecrement: return small_back;
      case sdk::ScrollAmount_SmallIncrement: return small_on;
      case sdk::ScrollAmount_LargeDecrement: return large_back;
      case sdk::ScrollAmount_LargeIncrement: return large_on;
    }
    return -2;
  }

  Node node_;
};

// A document range. GetText and MoveEndpointByUnit follow their pages
// (IUIAutomationTextRange::GetText: at most maxLength characters, -1 for all;
// ::MoveEndpointByUnit: "the count of units actually moved ... can be less than
// the number requested if moving the endpoint runs into the ... end of the
// document"). A character is a UTF-16 unit here, as in the edit controls'
// own offsets, so a character beyond the Basic Multilingual Plane counts two.
// Both pages allow "an HRESULT error code" on failure: an element marked
// `text_fails` answers E_FAIL to both, as a provider that cannot produce its
// text does.
class TextRange final : public ComObject<CountedIUIAutomationTextRange, sdk::kIidTextRange> {
 public:
  TextRange(std::wstring text, bool fails) : text_(std::move(text)), fails_(fails) {}

 protected:
  HRESULT on_GetText(int max_length, BSTR* out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (fails_) return fail(E_FAIL, L"The text provider cannot produce the document's text");
    if (max_length < -1) return fail(E_INVALIDARG, L"The length limit is below -1");
    std::wstring text = text_.substr(start_);
    if (max_length >= 0 && text.size() > static_cast<size_t>(max_length)) {
      text.resize(static_cast<size_t>(max_length));
    }
    // An empty range answers the empty string, not the null one.
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (*out == nullptr) return E_OUTOFMEMORY;
    count_text_units_read(text.size());
    return S_OK;
  }
  HRESULT on_MoveEndpointByUnit(sdk::TextPatternRangeEndpoint endpoint, sdk::TextUnit unit,
                                int count, int* moved) override {
    if (moved == nullptr) return E_POINTER;
    *moved = 0;
    if (fails_) return fail(E_FAIL, L"The text provider cannot produce the document's text");
    if (endpoint != sdk::TextPatternRangeEndpoint_Start || unit != sdk::TextUnit_Character ||
        count < 0) {
      return not_implemented("IUIAutomationTextRange.MoveEndpointByUnit");
    }
    size_t step = std::min(static_cast<size_t>(count), text_.size() - start_);
    start_ += step;
    *moved = static_cast<int>(step);
    return S_OK;
  }

 private:
  std::wstring text_;
  bool fails_;
  size_t start_ = 0;
};

class Text final : public ComObject<CountedIUIAutomationTextPattern, sdk::kIidTextPattern> {
 public:
  explicit Text(const Node& node) : node_(node) {}

 protected:
  HRESULT on_get_DocumentRange(sdk::IUIAutomationTextRange** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    *out = new TextRange(window_text(node_.window), text_fails(node_));
    return S_OK;
  }

 private:
  Node node_;
};

class Legacy final
    : public ComObject<CountedIUIAutomationLegacyIAccessiblePattern, sdk::kIidLegacyIAccessiblePattern> {
 public:
  explicit Legacy(const Node& node) : node_(node) {}

 protected:
  HRESULT on_get_CurrentDefaultAction(BSTR* out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (HRESULT state = reach(node_); FAILED(state)) return state;
    *out = make_bstr(default_action(node_));
    return S_OK;
  }
  HRESULT on_DoDefaultAction() override {
    switch (kind_of(node_)) {
      case Kind::PushButton:
      case Kind::CheckBox:
      case Kind::RadioButton: return post_click(node_);
      case Kind::ListItem: return select_item(node_);
      default:
        if (HRESULT state = reach(node_); FAILED(state)) return state;
        return fail(DISP_E_MEMBERNOTFOUND, L"The element has no default action");
    }
  }

 private:
  Node node_;
};

}  // namespace

IUnknown* make_pattern(const Node& node, PATTERNID pattern) {
  if (!has_pattern(node, pattern)) return nullptr;
  switch (pattern) {
    case 10000: return new Invoke(node);
    case 10002: return new Value(node);
    case 10004: return new Scroll(node);
    case 10010: return new SelectionItem(node);
    case 10014: return new Text(node);
    case 10015: return new Toggle(node);
    case 10018: return new Legacy(node);
    default: return nullptr;
  }
}

}  // namespace uia_server
