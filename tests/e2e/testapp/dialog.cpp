#include "dialog.h"

#include "control_ids.h"

namespace testapp {
namespace {

// Over the middle of the owner, so the dialog covers part of the main window as a real
// modal dialog does (DS_CENTER would centre it on the screen instead).
void centre_over_owner(HWND dialog) {
  RECT owner{};
  RECT self{};
  if (!GetWindowRect(GetWindow(dialog, GW_OWNER), &owner) || !GetWindowRect(dialog, &self)) {
    return;
  }
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  SetWindowPos(dialog, nullptr, (owner.left + owner.right - width) / 2,
               (owner.top + owner.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      centre_over_owner(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id != IDOK && id != IDCANCEL) return FALSE;
      auto* reporter = reinterpret_cast<Reporter*>(GetWindowLongPtrW(dialog, DWLP_USER));
      reporter->report(id == IDOK ? L"clicked OK" : L"closed Test Dialog");
      EndDialog(dialog, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

void run_test_dialog(HWND owner, Reporter& reporter) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TEST_DIALOG), owner, dialog_proc,
                  reinterpret_cast<LPARAM>(&reporter));
}

void run_test_message_box(HWND owner, Reporter& reporter) {
  MessageBoxW(owner, L"Message text", L"Test Message", MB_OK);
  reporter.report(L"closed Test Message");
}

}  // namespace testapp
