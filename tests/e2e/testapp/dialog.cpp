#include "dialog.h"

#include "control_ids.h"

namespace testapp {
namespace {

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
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

}  // namespace testapp
