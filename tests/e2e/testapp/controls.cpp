#include "controls.h"

#include <cwchar>
#include <string>

#include "control_ids.h"

namespace testapp {
namespace {

struct Layout {
  int x, y, width, height;
};

HWND make(HWND parent, const wchar_t* window_class, const wchar_t* text, DWORD style, int id,
          Layout at, DWORD ex_style = 0) {
  return CreateWindowExW(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, at.x, at.y,
                         at.width, at.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         nullptr);
}

std::wstring notes_text() {
  std::wstring text;
  for (int line = 1; line <= 40; ++line) {
    wchar_t buffer[96];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0],
             L"Line %02d: The quick brown fox jumps over the lazy dog.", line);
    if (line > 1) text += L"\r\n";
    text += buffer;
  }
  return text;
}

// A window that only lays out its children, as many frameworks' panels do: the test UI
// Automation server leaves it out of the control view by its class.
constexpr wchar_t kLayoutPaneClass[] = L"TestAppLayoutPane";

// The class of Chromium's web content window, which the test UI Automation server serves
// as a document whose elements appear late.
constexpr wchar_t kWebDocumentClass[] = L"Chrome_RenderWidgetHostHWND";

bool register_pane_class(HINSTANCE instance, const wchar_t* class_name) {
  WNDCLASSEXW pane{};
  pane.cbSize = sizeof pane;
  pane.lpfnWndProc = DefWindowProcW;
  pane.hInstance = instance;
  pane.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  pane.lpszClassName = class_name;
  return RegisterClassExW(&pane) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

BOOL CALLBACK set_font(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

}  // namespace

bool create_controls(HWND parent, int long_list_entries, bool web_document) {
  const DWORD edit_style = WS_TABSTOP | ES_AUTOHSCROLL;
  const wchar_t* labels[] = {L"Name:",  L"Password:", L"Read-only:", L"Colour:",
                             L"Fruit:", L"Long list:", L"Notes:"};
  const Layout label_at[] = {{10, 52, 80, 20},   {10, 82, 80, 20},   {10, 112, 80, 20},
                             {10, 142, 80, 20},  {10, 175, 150, 18}, {170, 175, 165, 18},
                             {350, 12, 350, 18}};
  bool ok = true;
  for (int i = 0; i < 7; ++i) {
    ok = ok && make(parent, L"STATIC", labels[i], 0, IDC_FIRST_LABEL + i, label_at[i]);
  }

  ok = ok && make(parent, L"BUTTON", L"Open Dialog", WS_TABSTOP | BS_PUSHBUTTON, IDC_OPEN_DIALOG,
                  {10, 10, 120, 28});
  ok = ok && make(parent, L"BUTTON", L"Enable feature", WS_TABSTOP | BS_AUTOCHECKBOX,
                  IDC_ENABLE_FEATURE, {145, 10, 160, 28});
  ok = ok && make(parent, L"EDIT", L"", edit_style, IDC_NAME_EDIT, {95, 48, 240, 24},
                  WS_EX_CLIENTEDGE);
  ok = ok && make(parent, L"EDIT", L"", edit_style | ES_PASSWORD, IDC_PASSWORD_EDIT,
                  {95, 78, 240, 24}, WS_EX_CLIENTEDGE);
  ok = ok && make(parent, L"EDIT", L"Fixed value", edit_style | ES_READONLY, IDC_READONLY_EDIT,
                  {95, 108, 240, 24}, WS_EX_CLIENTEDGE);

  HWND combo = make(parent, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                    IDC_COLOUR_COMBO, {95, 138, 240, 150});
  ok = ok && combo != nullptr;
  for (const wchar_t* colour : {L"Red", L"Green", L"Blue"}) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
  }

  HWND fruit = make(parent, L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY,
                    IDC_FRUIT_LIST, {10, 195, 150, 110}, WS_EX_CLIENTEDGE);
  ok = ok && fruit != nullptr;
  for (const wchar_t* name : {L"Apple", L"Banana", L"Cherry", L"Date", L"Elderberry"}) {
    SendMessageW(fruit, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }

  HWND long_list = make(parent, L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY,
                        IDC_LONG_LIST, {170, 195, 165, 110}, WS_EX_CLIENTEDGE);
  ok = ok && long_list != nullptr;
  for (int item = 1; item <= long_list_entries; ++item) {
    const std::wstring name = L"Item " + std::to_wstring(item);
    SendMessageW(long_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }

  ok = ok && make(parent, L"EDIT", notes_text().c_str(),
                  WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                  IDC_NOTES_EDIT, {350, 32, 355, 273}, WS_EX_CLIENTEDGE);

  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  HWND pane = register_pane_class(instance, kLayoutPaneClass)
                  ? make(parent, kLayoutPaneClass, L"", 0, IDC_LAYOUT_PANE, {10, 315, 325, 26})
                  : nullptr;
  HWND status = pane != nullptr
                    ? make(pane, L"STATIC", L"Status: ready", 0, IDC_STATUS_TEXT, {4, 4, 200, 18})
                    : nullptr;
  ok = ok && status != nullptr &&
       SetPropW(status, L"TestAppTextFails", reinterpret_cast<HANDLE>(1)) != FALSE;

  HWND blocking = make(parent, L"BUTTON", L"Open Blocking Dialog", WS_TABSTOP | BS_PUSHBUTTON,
                       IDC_BLOCKING_DIALOG, {350, 313, 160, 28});
  ok = ok && blocking != nullptr &&
       SetPropW(blocking, L"TestAppInvokeBlocks", reinterpret_cast<HANDLE>(1)) != FALSE;

  if (web_document) {
    HWND document = register_pane_class(instance, kWebDocumentClass)
                        ? make(parent, kWebDocumentClass, L"", 0, IDC_WEB_DOCUMENT,
                               {520, 313, 185, 28})
                        : nullptr;
    ok = ok && document != nullptr &&
         make(document, L"STATIC", L"Web content", 0, IDC_WEB_TEXT, {4, 4, 170, 18});
  }

  EnumChildWindows(parent, set_font, reinterpret_cast<LPARAM>(GetStockObject(DEFAULT_GUI_FONT)));
  return ok;
}

}  // namespace testapp
