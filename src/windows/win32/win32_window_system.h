#pragma once
// The window port over user32 and kernel32.

#include "windows/window_system.h"

namespace winhelper {

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowEnumeration enumerate_top_level() override;
  bool is_visible(WindowHandle window) override;
  bool is_iconic(WindowHandle window) override;
  bool is_maximized(WindowHandle window) override;
  std::string title(WindowHandle window) override;
  std::string class_name(WindowHandle window) override;
  std::uint32_t process_id(WindowHandle window) override;
  std::string process_image_path(std::uint32_t pid) override;
  std::optional<ScreenRect> rect(WindowHandle window) override;
  std::uint32_t dpi(WindowHandle window) override;
  WindowHandle owner(WindowHandle window) override;
  WindowHandle root_ancestor(WindowHandle window) override;
  std::uint32_t ex_style(WindowHandle window) override;
  WindowHandle foreground() override;
  bool set_foreground(WindowHandle window) override;
  std::optional<std::uint32_t> process_integrity(std::uint32_t pid) override;
  HelperPrivilege own_privilege() override;
  bool is_hung(WindowHandle window) override;
  bool answers_within(WindowHandle window, std::uint32_t timeout_ms) override;
  InputDesktop input_desktop() override;
  std::uint32_t window_thread(WindowHandle window) override;
  std::uint32_t current_thread() override;
  bool attach_input(std::uint32_t thread, std::uint32_t to_thread, bool attach) override;
  bool bring_to_top(WindowHandle window) override;
  void restore(WindowHandle window) override;
  void show(WindowHandle window, ShowCommand command) override;
  bool move(WindowHandle window, const ScreenRect& rect) override;
  bool post_close(WindowHandle window) override;
};

}  // namespace winhelper
