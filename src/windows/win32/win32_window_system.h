#pragma once
// The window port over user32 and kernel32.

#include "windows/window_system.h"

namespace winhelper {

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowEnumeration enumerate_top_level() override;
  bool is_visible(WindowHandle window) override;
  bool is_iconic(WindowHandle window) override;
  std::string title(WindowHandle window) override;
  std::string class_name(WindowHandle window) override;
  std::uint32_t process_id(WindowHandle window) override;
  std::string process_image_path(std::uint32_t pid) override;
  std::optional<WindowRect> rect(WindowHandle window) override;
  std::uint32_t dpi(WindowHandle window) override;
  WindowHandle owner(WindowHandle window) override;
  WindowHandle root_ancestor(WindowHandle window) override;
  std::uint32_t ex_style(WindowHandle window) override;
  WindowHandle foreground() override;
  bool set_foreground(WindowHandle window) override;
};

}  // namespace winhelper
