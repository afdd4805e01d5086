#include "fakes/fake_windows.h"

#include <algorithm>

namespace winhelper::fakes {

WindowHandle FakeWindows::add(FakeWindow window) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (window.handle == 0) {
    window.handle = next_handle_;
    next_handle_ += 0x10;
  }
  z_order_.push_back(window);
  return window.handle;
}

void FakeWindows::remove(WindowHandle handle) {
  std::lock_guard<std::mutex> hold(mutex_);
  std::erase_if(z_order_, [&](const FakeWindow& w) { return w.handle == handle; });
  if (foreground_ == handle) foreground_ = 0;
}

void FakeWindows::raise(WindowHandle handle) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = std::find_if(z_order_.begin(), z_order_.end(),
                         [&](const FakeWindow& w) { return w.handle == handle; });
  if (it != z_order_.end()) std::rotate(z_order_.begin(), it, it + 1);
}

void FakeWindows::edit(WindowHandle handle, const std::function<void(FakeWindow&)>& change) {
  std::lock_guard<std::mutex> hold(mutex_);
  for (FakeWindow& w : z_order_) {
    if (w.handle == handle) change(w);
  }
}

void FakeWindows::set_process_path(std::uint32_t pid, std::string path) {
  std::lock_guard<std::mutex> hold(mutex_);
  paths_[pid] = std::move(path);
}

void FakeWindows::fail_enumeration(std::optional<std::string> platform_text) {
  std::lock_guard<std::mutex> hold(mutex_);
  enumeration_failure_ = std::move(platform_text);
}

void FakeWindows::set_foreground_window(WindowHandle handle) {
  std::lock_guard<std::mutex> hold(mutex_);
  foreground_ = handle;
}

void FakeWindows::refuse_foreground(bool refuse) {
  set_foreground_rule(refuse ? ForegroundRule::Refuse : ForegroundRule::Grant);
}

void FakeWindows::set_foreground_rule(ForegroundRule rule) {
  std::lock_guard<std::mutex> hold(mutex_);
  foreground_rule_ = rule;
}

std::vector<std::string> FakeWindows::foreground_calls() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return foreground_calls_;
}

void FakeWindows::set_integrity(std::uint32_t pid, std::uint32_t level) {
  std::lock_guard<std::mutex> hold(mutex_);
  integrity_[pid] = level;
}

void FakeWindows::set_own_privilege(HelperPrivilege privilege) {
  std::lock_guard<std::mutex> hold(mutex_);
  own_privilege_ = privilege;
}

void FakeWindows::set_input_desktop(InputDesktop desktop) {
  std::lock_guard<std::mutex> hold(mutex_);
  input_desktop_ = std::move(desktop);
}

int FakeWindows::answer_probes() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return answer_probes_;
}

int FakeWindows::foreground_requests() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return foreground_requests_;
}

void FakeWindows::on_enumerate(std::function<void(int)> hook) {
  std::lock_guard<std::mutex> hold(mutex_);
  enumerate_hook_ = std::move(hook);
}

std::vector<std::string> FakeWindows::arrange_calls() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return arrange_calls_;
}

void FakeWindows::on_close(std::function<void(WindowHandle)> hook) {
  std::lock_guard<std::mutex> hold(mutex_);
  close_hook_ = std::move(hook);
}

FakeWindow* FakeWindows::find_mutable(WindowHandle handle) {
  for (FakeWindow& w : z_order_) {
    if (w.handle == handle) return &w;
  }
  return nullptr;
}

const FakeWindow* FakeWindows::find(WindowHandle handle) const {
  for (const FakeWindow& w : z_order_) {
    if (w.handle == handle) return &w;
  }
  return nullptr;
}

WindowEnumeration FakeWindows::enumerate_top_level() {
  std::function<void(int)> hook;
  int count = 0;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    hook = enumerate_hook_;
    count = enumerations_++;
  }
  if (hook) hook(count);
  std::lock_guard<std::mutex> hold(mutex_);
  WindowEnumeration result;
  result.failure = enumeration_failure_;
  for (const FakeWindow& w : z_order_) result.handles.push_back(w.handle);
  return result;
}

bool FakeWindows::is_visible(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w && w->visible;
}

bool FakeWindows::is_iconic(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w && w->iconic;
}

std::string FakeWindows::title(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->title : std::string();
}

std::string FakeWindows::class_name(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->class_name : std::string();
}

std::uint32_t FakeWindows::process_id(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->pid : 0;
}

std::string FakeWindows::process_image_path(std::uint32_t pid) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = paths_.find(pid);
  return it == paths_.end() ? std::string() : it->second;
}

std::optional<ScreenRect> FakeWindows::rect(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->rect : std::nullopt;
}

std::uint32_t FakeWindows::dpi(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->dpi : 0;
}

WindowHandle FakeWindows::owner(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->owner : 0;
}

WindowHandle FakeWindows::root_ancestor(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  if (!w) return 0;
  return w->root == 0 ? w->handle : w->root;
}

std::uint32_t FakeWindows::ex_style(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->ex_style : 0;
}

WindowHandle FakeWindows::foreground() {
  std::lock_guard<std::mutex> hold(mutex_);
  return foreground_;
}

bool FakeWindows::set_foreground(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  ++foreground_requests_;
  foreground_calls_.push_back("set_foreground " + std::to_string(window));
  bool granted = foreground_rule_ == ForegroundRule::Grant;
  if (foreground_rule_ == ForegroundRule::GrantWhileAttached) {
    const FakeWindow* current = find(foreground_);
    granted = current != nullptr &&
              std::find(attached_.begin(), attached_.end(),
                        std::pair{kHelperThread, current->thread}) != attached_.end();
  }
  if (!granted || find(window) == nullptr) return false;
  foreground_ = window;
  return true;
}

std::optional<std::uint32_t> FakeWindows::process_integrity(std::uint32_t pid) {
  std::lock_guard<std::mutex> hold(mutex_);
  auto it = integrity_.find(pid);
  if (it == integrity_.end()) return std::nullopt;
  return it->second;
}

HelperPrivilege FakeWindows::own_privilege() {
  std::lock_guard<std::mutex> hold(mutex_);
  return own_privilege_;
}

bool FakeWindows::is_hung(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w && w->hung;
}

bool FakeWindows::answers_within(WindowHandle window, std::uint32_t) {
  std::lock_guard<std::mutex> hold(mutex_);
  ++answer_probes_;
  const FakeWindow* w = find(window);
  return w && !w->hung && !w->slow;
}

InputDesktop FakeWindows::input_desktop() {
  std::lock_guard<std::mutex> hold(mutex_);
  return input_desktop_;
}

std::uint32_t FakeWindows::window_thread(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w ? w->thread : 0;
}

std::uint32_t FakeWindows::current_thread() { return kHelperThread; }

bool FakeWindows::attach_input(std::uint32_t thread, std::uint32_t to_thread, bool attach) {
  std::lock_guard<std::mutex> hold(mutex_);
  foreground_calls_.push_back((attach ? "attach " : "detach ") + std::to_string(thread) + " " +
                              std::to_string(to_thread));
  std::pair link{thread, to_thread};
  auto found = std::find(attached_.begin(), attached_.end(), link);
  if (attach == (found != attached_.end())) return false;
  if (attach) {
    attached_.push_back(link);
  } else {
    attached_.erase(found);
  }
  return true;
}

bool FakeWindows::bring_to_top(WindowHandle window) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    foreground_calls_.push_back("bring_to_top " + std::to_string(window));
    if (find(window) == nullptr) return false;
  }
  raise(window);
  return true;
}

void FakeWindows::restore(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  foreground_calls_.push_back("restore " + std::to_string(window));
  for (FakeWindow& w : z_order_) {
    if (w.handle == window) w.iconic = false;
  }
}

void FakeWindowEvents::queue(RawWindowEvent event) {
  std::lock_guard<std::mutex> hold(mutex_);
  queued_.push_back(event);
  changed_.notify_all();
}

void FakeWindowEvents::run(const std::function<void(const RawWindowEvent&)>& deliver) {
  std::unique_lock<std::mutex> hold(mutex_);
  for (;;) {
    changed_.wait(hold, [this] { return stopped_ || !queued_.empty(); });
    if (stopped_) return;
    std::vector<RawWindowEvent> events;
    events.swap(queued_);
    hold.unlock();
    for (const RawWindowEvent& event : events) deliver(event);
    hold.lock();
  }
}

void FakeWindowEvents::stop() {
  std::lock_guard<std::mutex> hold(mutex_);
  stopped_ = true;
  changed_.notify_all();
}

}  // namespace winhelper::fakes

namespace winhelper::fakes {

bool FakeWindows::is_maximized(WindowHandle window) {
  std::lock_guard<std::mutex> hold(mutex_);
  const FakeWindow* w = find(window);
  return w != nullptr && w->maximized;
}

void FakeWindows::show(WindowHandle window, ShowCommand command) {
  std::lock_guard<std::mutex> hold(mutex_);
  const char* names[] = {"minimize ", "maximize ", "restore "};
  arrange_calls_.push_back(names[static_cast<int>(command)] + std::to_string(window));
  FakeWindow* w = find_mutable(window);
  if (w == nullptr) return;
  switch (command) {
    case ShowCommand::Minimize:
      w->iconic = true;
      break;
    case ShowCommand::Maximize:
      if (!w->maximized) normal_rects_[window] = w->rect;
      w->iconic = false;
      w->maximized = true;
      w->rect = kWorkArea;
      break;
    case ShowCommand::Restore:
      if (w->maximized) w->rect = normal_rects_[window];
      w->iconic = false;
      w->maximized = false;
      break;
  }
}

bool FakeWindows::move(WindowHandle window, const ScreenRect& rect) {
  std::lock_guard<std::mutex> hold(mutex_);
  arrange_calls_.push_back("move " + std::to_string(window) + " " + std::to_string(rect.left) +
                           "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
                           "," + std::to_string(rect.bottom));
  FakeWindow* w = find_mutable(window);
  if (w == nullptr) return false;
  w->rect = rect;
  return true;
}

bool FakeWindows::post_close(WindowHandle window) {
  std::function<void(WindowHandle)> hook;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    arrange_calls_.push_back("close " + std::to_string(window));
    if (find(window) == nullptr) return false;
    hook = close_hook_;
  }
  if (hook) hook(window);
  return true;
}

}  // namespace winhelper::fakes
