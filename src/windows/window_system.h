#pragma once
// Window port: what the inventory, the focus command and the event watcher
// need to know about top-level windows. Every read degrades instead of
// failing (empty text, zero, no rectangle); only enumeration reports failure.
// Implementations must be callable from any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace winhelper {

// The numeric value of a window handle; 0 is "no window".
using WindowHandle = std::int64_t;

struct WindowRect {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;
};

struct WindowEnumeration {
  // Top of the Z order first, as the system reports them.
  std::vector<WindowHandle> handles;
  // The platform error text when enumeration failed; `handles` is then unused.
  std::optional<std::string> failure;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual WindowEnumeration enumerate_top_level() = 0;
  virtual bool is_visible(WindowHandle window) = 0;
  virtual bool is_iconic(WindowHandle window) = 0;
  // At most 511 UTF-16 units of the window text, as UTF-8.
  virtual std::string title(WindowHandle window) = 0;
  // At most 255 UTF-16 units, as UTF-8.
  virtual std::string class_name(WindowHandle window) = 0;
  // 0 when the window is gone.
  virtual std::uint32_t process_id(WindowHandle window) = 0;
  // Full image path of a process; empty when it cannot be opened or queried
  // or the path does not fit 259 UTF-16 units.
  virtual std::string process_image_path(std::uint32_t pid) = 0;
  virtual std::optional<WindowRect> rect(WindowHandle window) = 0;
  // Dots per inch of the window's monitor; 0 when unknown.
  virtual std::uint32_t dpi(WindowHandle window) = 0;
  virtual WindowHandle owner(WindowHandle window) = 0;
  virtual WindowHandle root_ancestor(WindowHandle window) = 0;
  virtual std::uint32_t ex_style(WindowHandle window) = 0;
  virtual WindowHandle foreground() = 0;
  // One foreground request; true when the system granted it.
  virtual bool set_foreground(WindowHandle window) = 0;
};

}  // namespace winhelper
