#pragma once
// Window port: what the inventory, the focus command and the event watcher
// need to know about top-level windows, and what the acting commands need to
// judge whether Windows will let input reach one and to bring it forward.
// Every read degrades instead of failing (empty text, zero, no rectangle, "not
// known"); only enumeration reports failure. Implementations must be callable
// from any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/rect.h"

namespace winhelper {

// The numeric value of a window handle; 0 is "no window".
using WindowHandle = std::int64_t;

// The helper's own standing towards user interface privilege isolation.
struct HelperPrivilege {
  // Mandatory integrity level of the helper's token (see process_integrity).
  std::optional<std::uint32_t> integrity;
  // Whether the token has UI access; false when it cannot be read.
  bool ui_access = false;
};

// Which desktop receives input now, and the one the helper runs on.
struct InputDesktop {
  // Name of the input desktop; nullopt when it could not be opened or read.
  std::optional<std::string> name;
  // Opening the input desktop was refused for lack of access.
  bool access_denied = false;
  // Name of the calling thread's desktop; empty when it cannot be read.
  std::string own;
};

// How a window is to be shown.
enum class ShowCommand { Minimize, Maximize, Restore };

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
  virtual bool is_maximized(WindowHandle window) = 0;
  // At most 511 UTF-16 units of the window text, as UTF-8.
  virtual std::string title(WindowHandle window) = 0;
  // At most 255 UTF-16 units, as UTF-8.
  virtual std::string class_name(WindowHandle window) = 0;
  // 0 when the window is gone.
  virtual std::uint32_t process_id(WindowHandle window) = 0;
  // Full image path of a process; empty when it cannot be opened or queried
  // or the path does not fit 259 UTF-16 units.
  virtual std::string process_image_path(std::uint32_t pid) = 0;
  virtual std::optional<ScreenRect> rect(WindowHandle window) = 0;
  // Dots per inch of the window's monitor; 0 when unknown.
  virtual std::uint32_t dpi(WindowHandle window) = 0;
  virtual WindowHandle owner(WindowHandle window) = 0;
  virtual WindowHandle root_ancestor(WindowHandle window) = 0;
  virtual std::uint32_t ex_style(WindowHandle window) = 0;
  virtual WindowHandle foreground() = 0;
  // One foreground request; true when the system granted it.
  virtual bool set_foreground(WindowHandle window) = 0;

  // Mandatory integrity level of a process: the last sub-authority of its
  // token's integrity label (0x1000 low, 0x2000 medium, 0x3000 high, 0x4000
  // system); nullopt when the process or its token cannot be read.
  virtual std::optional<std::uint32_t> process_integrity(std::uint32_t pid) = 0;
  virtual HelperPrivilege own_privilege() = 0;
  // Whether Windows reports the window's thread as not responding.
  virtual bool is_hung(WindowHandle window) = 0;
  // Whether the window's thread answers an empty message within the time;
  // false also when the message cannot be delivered.
  virtual bool answers_within(WindowHandle window, std::uint32_t timeout_ms) = 0;
  virtual InputDesktop input_desktop() = 0;

  // The calls of the foreground escalation. Thread ids are 0 for "none".
  virtual std::uint32_t window_thread(WindowHandle window) = 0;
  virtual std::uint32_t current_thread() = 0;
  // Joins (or separates again) the input state of `thread` and `to_thread`;
  // true when the system did it.
  virtual bool attach_input(std::uint32_t thread, std::uint32_t to_thread, bool attach) = 0;
  // Raises the window to the top of the Z order without waiting for its
  // thread (which may not be answering).
  virtual bool bring_to_top(WindowHandle window) = 0;
  // Shows a minimised window again in its previous size and position.
  virtual void restore(WindowHandle window) = 0;

  // The calls that arrange windows. `show` returns once the window's thread
  // has handled the change, so callers must not aim it at a hung window.
  virtual void show(WindowHandle window, ShowCommand command) = 0;
  // Moves and sizes the window (screen pixels) without activating it or
  // changing its Z order; true when the system did it.
  virtual bool move(WindowHandle window, const ScreenRect& rect) = 0;
  // Asks the window to close, as its close button does, without waiting for
  // it; true when the request was queued. Never ends the process.
  virtual bool post_close(WindowHandle window) = 0;
};

}  // namespace winhelper
