#include "window_node.h"

#include <climits>
#include <cwctype>
#include <map>
#include <mutex>

namespace uia_server {
namespace {

constexpr UINT kMessageTimeoutMs = 2000;

bool class_is(const std::wstring& actual, const wchar_t* expected) {
  return _wcsicmp(actual.c_str(), expected) == 0;
}

LONG_PTR style_of(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

std::wstring without_mnemonics(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

RECT client_on_screen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

// The static text that labels an input control, as a reader of the form would pair them:
// the nearest visible static either on the same row to its left or in the same columns just
// above it (within 30 pixels).
std::wstring label_of(HWND control) {
  HWND parent_window = GetAncestor(control, GA_PARENT);
  RECT at{};
  GetWindowRect(control, &at);
  HWND best = nullptr;
  LONG best_gap = LONG_MAX;
  for (HWND sibling = GetWindow(parent_window, GW_CHILD); sibling != nullptr;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (sibling == control || !IsWindowVisible(sibling)) continue;
    if (!class_is(class_name(Node{sibling}), L"Static")) continue;
    RECT label{};
    GetWindowRect(sibling, &label);
    bool rows_overlap = label.top < at.bottom && label.bottom > at.top;
    bool columns_overlap = label.left < at.right && label.right > at.left;
    LONG gap = LONG_MAX;
    if (rows_overlap && label.right <= at.left) {
      gap = at.left - label.right;
    } else if (columns_overlap && label.bottom <= at.top && at.top - label.bottom <= 30) {
      gap = at.top - label.bottom;
    }
    if (gap < best_gap) {
      best_gap = gap;
      best = sibling;
    }
  }
  return best != nullptr ? without_mnemonics(window_text(best)) : std::wstring();
}

int list_count(HWND list) {
  LRESULT count = 0;
  return send(list, LB_GETCOUNT, 0, 0, &count) && count > 0 ? static_cast<int>(count) : 0;
}

}  // namespace

bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  DWORD_PTR answer = 0;
  bool ok = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                                kMessageTimeoutMs, &answer) != 0;
  if (result != nullptr) *result = static_cast<LRESULT>(answer);
  return ok;
}

std::wstring window_text(HWND window) {
  LRESULT length = 0;
  if (!send(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) {
    return {};
  }
  text.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
  return text;
}

std::wstring item_text(const Node& node) {
  LRESULT length = 0;
  if (!send(node.window, LB_GETTEXTLEN, node.item, 0, &length) || length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!send(node.window, LB_GETTEXT, node.item, reinterpret_cast<LPARAM>(text.data()), &copied) ||
      copied < 0) {
    return {};
  }
  text.resize(static_cast<size_t>(copied));
  return text;
}

int control_type_id(Kind kind) {
  switch (kind) {
    case Kind::PushButton: return 50000;
    case Kind::CheckBox: return 50002;
    case Kind::ComboBox: return 50003;
    case Kind::Edit: return 50004;
    case Kind::ListItem: return 50007;
    case Kind::List: return 50008;
    case Kind::RadioButton: return 50013;
    case Kind::Text: return 50020;
    case Kind::Group: return 50026;
    case Kind::Document: return 50030;
    case Kind::TopLevel: return 50032;
    case Kind::Desktop:
    case Kind::Other: return 50033;
  }
  return 50033;
}

bool alive(const Node& node) {
  if (IsWindow(node.window) == FALSE) return false;
  return !node.is_item() || node.item < list_count(node.window);
}

std::wstring class_name(const Node& node) {
  if (node.is_item()) return L"";
  wchar_t buffer[256];
  int length = GetClassNameW(node.window, buffer, 256);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

Kind kind_of(const Node& node) {
  if (node.is_item()) return Kind::ListItem;
  if (node.window == GetDesktopWindow()) return Kind::Desktop;
  if ((style_of(node.window) & WS_CHILD) == 0) return Kind::TopLevel;
  std::wstring name = class_name(node);
  LONG_PTR style = style_of(node.window);
  if (class_is(name, L"Button")) {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE: return Kind::CheckBox;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: return Kind::RadioButton;
      case BS_GROUPBOX: return Kind::Group;
      default: return Kind::PushButton;
    }
  }
  if (class_is(name, L"Edit")) return Kind::Edit;
  if (class_is(name, L"Static")) return Kind::Text;
  if (class_is(name, L"ListBox") || class_is(name, L"ComboLBox")) return Kind::List;
  if (class_is(name, L"ComboBox")) return Kind::ComboBox;
  if (class_is(name, L"Chrome_RenderWidgetHostHWND")) return Kind::Document;
  return Kind::Other;
}

std::wstring name(const Node& node) {
  switch (kind_of(node)) {
    case Kind::Desktop: return L"Desktop";
    case Kind::ListItem: return item_text(node);
    case Kind::Edit:
    case Kind::List:
    case Kind::ComboBox: return label_of(node.window);
    default: return without_mnemonics(window_text(node.window));
  }
}

std::wstring automation_id(const Node& node) {
  if (node.is_item()) return L"ListItem-" + std::to_wstring(node.item);
  if ((style_of(node.window) & WS_CHILD) == 0) return L"";
  return std::to_wstring(GetDlgCtrlID(node.window));
}

bool text_fails(const Node& node) {
  return !node.is_item() && GetPropW(node.window, L"TestAppTextFails") != nullptr;
}

// Runtime ids "can be reused over time" (IUIAutomationElement::GetRuntimeId). A list box
// entry's is its list's and its index, so deleting an entry hands its id to the entry that
// moves up into its place, which also takes over its automation id ("ListItem-<index>"),
// as a virtualised list's recycled item does. The entries of two lists share automation ids.
std::vector<int> runtime_id(const Node& node) {
  auto handle = static_cast<int>(reinterpret_cast<INT_PTR>(node.window));
  if (node.is_item()) return {42, handle, 4, node.item};
  return {42, handle};
}

RECT bounds(const Node& node) {
  RECT rect{};
  if (!node.is_item()) {
    GetWindowRect(node.window, &rect);
    return rect;
  }
  LRESULT top = 0;
  LRESULT height = 0;
  send(node.window, LB_GETTOPINDEX, 0, 0, &top);
  send(node.window, LB_GETITEMHEIGHT, node.item, 0, &height);
  RECT client = client_on_screen(node.window);
  rect.left = client.left;
  rect.right = client.right;
  rect.top = client.top + static_cast<LONG>((node.item - top) * height);
  rect.bottom = rect.top + static_cast<LONG>(height);
  return rect;
}

bool offscreen(const Node& node) {
  if (IsWindowVisible(node.window) == FALSE) return true;
  if (IsIconic(GetAncestor(node.window, GA_ROOT))) return true;
  if (!node.is_item()) return false;
  RECT row = bounds(node);
  RECT client = client_on_screen(node.window);
  return row.bottom <= client.top || row.top >= client.bottom;
}

bool enabled(const Node& node) { return IsWindowEnabled(node.window) != FALSE; }

bool keyboard_focusable(const Node& node) {
  if (!enabled(node) || IsWindowVisible(node.window) == FALSE) return false;
  Kind kind = kind_of(node);
  if (kind == Kind::TopLevel || kind == Kind::ListItem) return true;
  return (style_of(node.window) & WS_TABSTOP) != 0;
}

bool password(const Node& node) {
  return kind_of(node) == Kind::Edit && (style_of(node.window) & ES_PASSWORD) != 0;
}

bool read_only_edit(const Node& node) { return (style_of(node.window) & ES_READONLY) != 0; }

bool multi_line_edit(const Node& node) {
  return kind_of(node) == Kind::Edit && (style_of(node.window) & ES_MULTILINE) != 0;
}

bool scrollable(const Node& node) {
  Kind kind = kind_of(node);
  return (kind == Kind::List || multi_line_edit(node)) &&
         (style_of(node.window) & WS_VSCROLL) != 0;
}

bool control_element(const Node& node) {
  return node.is_item() || !class_is(class_name(node), L"TestAppLayoutPane");
}

// A web document builds its tree only once an assistive technology has asked for it, and
// asynchronously: Chromium turns its accessibility on when it first sees a UI Automation
// client, and until the renderer has sent its tree the document has no children (seconds in
// the field). Here a document's children appear 600 ms after this process first asked for
// them.
bool document_built(HWND document) {
  static std::mutex mutex;
  static std::map<HWND, ULONGLONG> first_asked;
  std::lock_guard<std::mutex> lock(mutex);
  ULONGLONG now = GetTickCount64();
  auto [entry, added] = first_asked.emplace(document, now);
  return !added && now - entry->second >= 600;
}

std::vector<Node> children(const Node& node) {
  std::vector<Node> out;
  if (node.is_item()) return out;
  if (kind_of(node) == Kind::Document && !document_built(node.window)) return out;
  if (kind_of(node) == Kind::List) {
    int count = list_count(node.window);
    for (int i = 0; i < count; ++i) out.push_back(Node{node.window, i});
    return out;
  }
  for (HWND child = GetWindow(node.window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child)) out.push_back(Node{child});
  }
  return out;
}

std::optional<Node> parent(const Node& node) {
  if (node.is_item()) return Node{node.window};
  if (node.window == GetDesktopWindow()) return std::nullopt;
  if ((style_of(node.window) & WS_CHILD) == 0) return Node{GetDesktopWindow()};
  HWND up = GetAncestor(node.window, GA_PARENT);
  if (up == nullptr) return std::nullopt;
  return Node{up};
}

std::vector<Node> control_view_children(const Node& node) {
  std::vector<Node> out;
  for (const Node& child : children(node)) {
    if (control_element(child)) {
      out.push_back(child);
    } else {
      for (const Node& below : control_view_children(child)) out.push_back(below);
    }
  }
  return out;
}

std::optional<Node> control_view_parent(const Node& node) {
  std::optional<Node> up = parent(node);
  while (up && !control_element(*up)) up = parent(*up);
  return up;
}

Node node_at(POINT point) {
  HWND hit = WindowFromPoint(point);
  if (hit == nullptr) return Node{GetDesktopWindow()};
  HWND window = GetAncestor(hit, GA_ROOT);
  for (;;) {
    POINT local = point;
    ScreenToClient(window, &local);
    HWND deeper = ChildWindowFromPointEx(window, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (deeper == nullptr || deeper == window) break;
    window = deeper;
  }
  Node node{window};
  if (kind_of(node) == Kind::List) {
    POINT local = point;
    ScreenToClient(window, &local);
    LRESULT hit_item = 0;
    if (send(window, LB_ITEMFROMPOINT, 0, MAKELPARAM(local.x, local.y), &hit_item) &&
        HIWORD(hit_item) == 0) {
      node.item = LOWORD(hit_item);
    }
  }
  return node;
}

}  // namespace uia_server
