#pragma once
// The main window: its class, its controls' notifications and the input it reports.

#include <windows.h>

#include "options.h"
#include "photo_background.h"
#include "reporter.h"

namespace testapp {

class MainWindow {
 public:
  explicit MainWindow(Reporter& reporter) : reporter_(reporter) {}

  // Registers the class and creates the window with its controls, shown. Returns false on
  // failure after writing the reason to standard error.
  bool create(HINSTANCE instance, const Options& options);

  // Called by the message loop for every message before it is dispatched, so that keys
  // pressed in any control are seen here. Returns true when the message was consumed.
  bool pre_translate(const MSG& message);

  HWND handle() const { return window_; }

 private:
  bool delete_selected_fruit();
  static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
  void on_command(int id, int notification, HWND control);
  void on_button_down(const wchar_t* button, LPARAM lparam);
  void on_button_up(const wchar_t* button, LPARAM lparam);
  bool owns(HWND window) const;

  Reporter& reporter_;
  HWND window_ = nullptr;
  const wchar_t* pressed_button_ = nullptr;  // the background button held down, if any
  POINT press_point_{};
  int hang_ms_ = 0;  // --hang-ms: how long F9 stops the UI thread
  bool message_box_ = false;  // --message-box: Open Dialog shows a message box
  bool browser_class_ = false;
  int long_list_entries_ = 100;
  bool photo_ = false;  // --photo: paint the photo-like background
  PhotoBackground photo_background_;
};

}  // namespace testapp
