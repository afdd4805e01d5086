#pragma once
// What an element stands for: a real window, or one entry of a list box. Every read goes to
// the live window (cross-process messages of the standard controls), so elements follow the
// application as it changes.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace uia_server {

struct Node {
  HWND window = nullptr;
  int item = -1;  // a list box entry's index; -1 for the window itself

  bool is_item() const { return item >= 0; }
  bool operator==(const Node&) const = default;
};

enum class Kind { Desktop, TopLevel, PushButton, CheckBox, RadioButton, Group, Edit, Text, List,
                  ListItem, ComboBox, Document, Other };

// Control type ids as UI Automation numbers them.
int control_type_id(Kind kind);

bool alive(const Node& node);
Kind kind_of(const Node& node);
std::wstring class_name(const Node& node);
std::wstring name(const Node& node);
std::wstring automation_id(const Node& node);
std::vector<int> runtime_id(const Node& node);
RECT bounds(const Node& node);
bool offscreen(const Node& node);
bool enabled(const Node& node);
bool keyboard_focusable(const Node& node);
bool password(const Node& node);
bool read_only_edit(const Node& node);
bool multi_line_edit(const Node& node);
bool scrollable(const Node& node);
// A window the test application marked (window property "TestAppTextFails"): it offers the
// text pattern, whose document cannot be read.
bool text_fails(const Node& node);
// Whether the element is in the control view (IsControlElement). Providers mark layout-only
// nodes false ("Control view" in the UI Automation tree overview); here a window of the test
// application's layout pane class is one.
bool control_element(const Node& node);

// The control-view tree: visible child windows in z-order, list box entries under their
// list, top-level windows under the desktop.
std::vector<Node> children(const Node& node);
std::optional<Node> parent(const Node& node);
// The children in the control view: each child that is a control element, and in place of
// each one that is not, its own control-view children.
std::vector<Node> control_view_children(const Node& node);
// The nearest ancestor in the control view: the control-view walker's parent.
std::optional<Node> control_view_parent(const Node& node);

// The deepest element at a screen point.
Node node_at(POINT point);

std::wstring window_text(HWND window);
std::wstring item_text(const Node& node);

// SendMessageTimeout with a bound, so a hung application cannot hang the caller.
bool send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result = nullptr);

}  // namespace uia_server
