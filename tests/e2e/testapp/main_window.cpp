#include "main_window.h"

#include <windowsx.h>

#include <string>

#include "control_ids.h"
#include "controls.h"
#include "dialog.h"
#include "text_util.h"

namespace testapp {
namespace {

constexpr wchar_t kPlainClass[] = L"WinhelperTestApp";
constexpr wchar_t kBrowserClass[] = L"Chrome_WidgetWin_1";

// Button names double as identities: a press and its release are matched by pointer.
constexpr const wchar_t* kLeft = L"left";
constexpr const wchar_t* kRight = L"right";
constexpr const wchar_t* kMiddle = L"middle";

std::wstring point_text(POINT point) {
  return std::to_wstring(point.x) + L"," + std::to_wstring(point.y);
}

std::wstring selected_item(HWND control, bool combo) {
  const UINT get_selection = combo ? CB_GETCURSEL : LB_GETCURSEL;
  const UINT get_length = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT get_text = combo ? CB_GETLBTEXT : LB_GETTEXT;
  const LRESULT index = SendMessageW(control, get_selection, 0, 0);
  if (index < 0) return {};
  const LRESULT length = SendMessageW(control, get_length, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(control, get_text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

bool MainWindow::create(HINSTANCE instance, const Options& options) {
  const wchar_t* class_name = options.browser_class ? kBrowserClass : kPlainClass;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &MainWindow::window_proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = class_name;
  if (RegisterClassExW(&window_class) == 0) {
    write_stderr(L"testapp: RegisterClassExW failed");
    return false;
  }
  const DWORD ex_style = options.topmost ? WS_EX_TOPMOST : 0;
  long_list_entries_ = options.long_list_entries;
  browser_class_ = options.browser_class;
  photo_ = options.photo;
  window_ = CreateWindowExW(ex_style, class_name, reporter_.base_title().c_str(),
                            WS_OVERLAPPEDWINDOW, options.x, options.y, options.width,
                            options.height, nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    write_stderr(L"testapp: CreateWindowExW failed");
    return false;
  }
  reporter_.attach(window_);
  hang_ms_ = options.hang_ms;
  message_box_ = options.message_box;
  // Open before the window shows, so whoever sees the window finds the clipboard held;
  // the process's end closes it.
  if (options.hold_clipboard && !OpenClipboard(window_)) {
    write_stderr(L"testapp: OpenClipboard failed");
    DestroyWindow(window_);
    return false;
  }
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  return true;
}

bool MainWindow::owns(HWND window) const {
  return window == window_ || IsChild(window_, window);
}

// Delete, wherever the focus is, deletes the fruit list's selected entry: the entries below
// move up, and the one that takes its place takes its UI Automation runtime id too.
bool MainWindow::delete_selected_fruit() {
  HWND fruit = GetDlgItem(window_, IDC_FRUIT_LIST);
  LRESULT selected = SendMessageW(fruit, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return false;
  const std::wstring name = selected_item(fruit, false);
  SendMessageW(fruit, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  reporter_.report(L"deleted '" + name + L"'");
  return true;
}

bool MainWindow::pre_translate(const MSG& message) {
  if (!owns(message.hwnd)) return false;
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const auto key = static_cast<unsigned>(message.wParam);
      const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
      const bool letter_or_digit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
      if (ctrl && letter_or_digit) {
        reporter_.report(L"ctrl+" + std::wstring(1, static_cast<wchar_t>(key)));
        if (key == 'L') {
          HWND address = GetDlgItem(window_, IDC_NAME_EDIT);
          SetFocus(address);
          SendMessageW(address, EM_SETSEL, 0, -1);
          return true;
        }
      } else if (key == VK_RETURN) {
        reporter_.report(L"enter");
      } else if (key == VK_DELETE && delete_selected_fruit()) {
        return true;
      } else if (key == VK_F9 && hang_ms_ > 0) {
        // The thread neither pumps nor waits on its queue while it sleeps, which is what
        // makes Windows (and Wine) call the window hung after five seconds.
        reporter_.report(L"hanging " + std::to_wstring(hang_ms_) + L" ms");
        Sleep(static_cast<DWORD>(hang_ms_));
        reporter_.report(L"responding again");
        return true;
      } else {
        reporter_.report(L"key VK " + hex_byte(key));
      }
      return false;
    }
    case WM_MOUSEWHEEL:
      reporter_.report(L"wheel " + std::to_wstring(GET_WHEEL_DELTA_WPARAM(message.wParam)));
      return false;
    case WM_MOUSEHWHEEL:
      reporter_.report(L"hwheel " + std::to_wstring(GET_WHEEL_DELTA_WPARAM(message.wParam)));
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK MainWindow::window_proc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->handle_message(message, wparam, lparam);
}

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      if (!create_controls(window_, long_list_entries_, browser_class_)) {
        write_stderr(L"testapp: a control could not be created");
        return -1;
      }
      return 0;
    case WM_COMMAND:
      on_command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_LBUTTONDOWN:
      on_button_down(kLeft, lparam);
      return 0;
    case WM_RBUTTONDOWN:
      on_button_down(kRight, lparam);
      return 0;
    case WM_MBUTTONDOWN:
      on_button_down(kMiddle, lparam);
      return 0;
    case WM_LBUTTONUP:
      on_button_up(kLeft, lparam);
      return 0;
    case WM_RBUTTONUP:
      on_button_up(kRight, lparam);
      return 0;
    case WM_MBUTTONUP:
      on_button_up(kMiddle, lparam);
      return 0;
    case WM_SYSCOMMAND:
      // Alt or F10 alone would enter the system menu's modal loop and swallow the keys that
      // follow; tests press keys in any order, so the keyboard never opens that menu.
      if ((wparam & 0xFFF0) == SC_KEYMENU) return 0;
      return DefWindowProcW(window_, message, wparam, lparam);
    case WM_ERASEBKGND:
      if (photo_ && photo_background_.paint(window_, reinterpret_cast<HDC>(wparam))) return 1;
      return DefWindowProcW(window_, message, wparam, lparam);
    case WM_CAPTURECHANGED:
      pressed_button_ = nullptr;
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

void MainWindow::on_command(int id, int notification, HWND control) {
  switch (id) {
    case IDC_OPEN_DIALOG:
      if (notification == BN_CLICKED) {
        reporter_.report(L"clicked Open Dialog");
        if (message_box_) {
          run_test_message_box(window_, reporter_);
        } else {
          run_test_dialog(window_, reporter_);
        }
      }
      break;
    case IDC_BLOCKING_DIALOG:
      if (notification == BN_CLICKED) {
        reporter_.report(L"clicked Open Blocking Dialog");
        run_test_dialog(window_, reporter_);
      }
      break;
    case IDC_ENABLE_FEATURE:
      if (notification == BN_CLICKED) {
        const bool checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        reporter_.report(checked ? L"checked Enable feature" : L"unchecked Enable feature");
      }
      break;
    case IDC_NAME_EDIT:
      if (notification == EN_CHANGE) reporter_.report(L"text '" + window_text(control) + L"'");
      break;
    case IDC_PASSWORD_EDIT:
      if (notification == EN_CHANGE) {
        const int length = GetWindowTextLengthW(control);
        reporter_.report(L"password " + std::to_wstring(length) + L" chars");
      }
      break;
    case IDC_FRUIT_LIST:
    case IDC_LONG_LIST:
      if (notification == LBN_SELCHANGE) {
        reporter_.report(L"selected '" + selected_item(control, false) + L"'");
      }
      break;
    case IDC_COLOUR_COMBO:
      if (notification == CBN_SELCHANGE) {
        reporter_.report(L"selected '" + selected_item(control, true) + L"'");
      }
      break;
    default:
      break;
  }
}

void MainWindow::on_button_down(const wchar_t* button, LPARAM lparam) {
  pressed_button_ = button;
  press_point_ = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  SetCapture(window_);
}

void MainWindow::on_button_up(const wchar_t* button, LPARAM lparam) {
  if (pressed_button_ != button) return;
  pressed_button_ = nullptr;
  const POINT release{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ReleaseCapture();
  const bool moved = release.x != press_point_.x || release.y != press_point_.y;
  if (moved && button == kLeft) {
    reporter_.report(L"drag from " + point_text(press_point_) + L" to " + point_text(release));
  } else {
    reporter_.report(L"click " + std::wstring(button) + L" at " + point_text(press_point_));
  }
}

}  // namespace testapp
