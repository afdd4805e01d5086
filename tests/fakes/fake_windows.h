#pragma once
// The fake desktop's windows: an in-memory Z order of top-level windows with
// the properties the window port reads, process image paths and integrity
// levels, a foreground that can refuse, the input desktop, and queued raw
// window events. Thread-safe.

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "windows/window_event_source.h"
#include "windows/window_system.h"

namespace winhelper::fakes {

struct FakeWindow {
  WindowHandle handle = 0;  // 0: the desktop picks one
  std::string title;
  std::string class_name = "FakeWindowClass";
  std::uint32_t pid = 100;
  bool visible = true;
  bool iconic = false;
  std::optional<ScreenRect> rect = ScreenRect{10, 20, 410, 320};
  std::uint32_t dpi = 96;
  WindowHandle owner = 0;
  std::uint32_t ex_style = 0;
  // The root ancestor; 0 means the window is its own root.
  WindowHandle root = 0;
  std::uint32_t thread = 200;
  // Windows reports the window's thread as not responding.
  bool hung = false;
  // The thread answers no message in time (also true of a hung one).
  bool slow = false;
  bool maximized = false;
};

// How the fake foreground answers requests.
enum class ForegroundRule {
  Grant,
  Refuse,
  // Granted only while the helper's thread is attached to the input of the
  // foreground window's thread, as Windows' foreground lock allows.
  GrantWhileAttached,
};

class FakeWindows final : public WindowSystem {
 public:
  // Adds the window below all others and returns its handle.
  WindowHandle add(FakeWindow window);
  void remove(WindowHandle handle);
  void raise(WindowHandle handle);
  void edit(WindowHandle handle, const std::function<void(FakeWindow&)>& change);
  void set_process_path(std::uint32_t pid, std::string path);
  // A failing enumeration reports `platform_text`.
  void fail_enumeration(std::optional<std::string> platform_text);
  void set_foreground_window(WindowHandle handle);
  void refuse_foreground(bool refuse);
  void set_foreground_rule(ForegroundRule rule);
  int foreground_requests() const;
  // The foreground and escalation calls in order: "set_foreground <window>",
  // "attach <thread> <to>", "detach <thread> <to>", "bring_to_top <window>",
  // "restore <window>" (windows in decimal).
  std::vector<std::string> foreground_calls() const;
  // Unset levels read as unknown.
  void set_integrity(std::uint32_t pid, std::uint32_t level);
  void set_own_privilege(HelperPrivilege privilege);
  void set_input_desktop(InputDesktop desktop);
  // Tells how often a window was asked whether it answers.
  int answer_probes() const;
  static constexpr std::uint32_t kHelperThread = 1;
  // Where maximised windows go.
  static constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};
  // The arranging calls in order: "minimize <window>", "maximize <window>",
  // "restore <window>" (through show), "move <window> <l>,<t>,<r>,<b>",
  // "close <window>".
  std::vector<std::string> arrange_calls() const;
  // Runs after a close request is queued, outside the desktop's lock; lets
  // a test close the window or show its prompt.
  void on_close(std::function<void(WindowHandle)> hook);
  // Runs before each enumeration, outside the desktop's lock, with the
  // number of enumerations before it; lets a test change the desktop while
  // a command polls it.
  void on_enumerate(std::function<void(int)> hook);

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

 private:
  FakeWindow* find_mutable(WindowHandle handle);

  const FakeWindow* find(WindowHandle handle) const;

  mutable std::mutex mutex_;
  std::vector<FakeWindow> z_order_;  // topmost first
  std::map<std::uint32_t, std::string> paths_;
  std::optional<std::string> enumeration_failure_;
  WindowHandle foreground_ = 0;
  ForegroundRule foreground_rule_ = ForegroundRule::Grant;
  int foreground_requests_ = 0;
  std::vector<std::string> foreground_calls_;
  // Threads whose input is attached to another's: (thread, to_thread).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> attached_;
  std::map<std::uint32_t, std::uint32_t> integrity_;
  HelperPrivilege own_privilege_;
  InputDesktop input_desktop_{"Default", false, "Default"};
  int answer_probes_ = 0;
  int enumerations_ = 0;
  WindowHandle next_handle_ = 0x10010;
  std::function<void(int)> enumerate_hook_;
  std::vector<std::string> arrange_calls_;
  // The rectangle a maximised window returns to.
  std::map<WindowHandle, std::optional<ScreenRect>> normal_rects_;
  std::function<void(WindowHandle)> close_hook_;
};

// Delivers queued events, in order, on the thread that runs it, as they are
// queued, until stopped; events still queued then are dropped.
class FakeWindowEvents final : public WindowEventSource {
 public:
  void queue(RawWindowEvent event);
  void run(const std::function<void(const RawWindowEvent&)>& deliver) override;
  void stop() override;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<RawWindowEvent> queued_;
  bool stopped_ = false;
};

}  // namespace winhelper::fakes
