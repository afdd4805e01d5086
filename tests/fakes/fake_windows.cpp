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
  std::lock_guard<std::mutex> hold(mutex_);
  refuse_foreground_ = refuse;
}

int FakeWindows::foreground_requests() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return foreground_requests_;
}

void FakeWindows::on_enumerate(std::function<void(int)> hook) {
  std::lock_guard<std::mutex> hold(mutex_);
  enumerate_hook_ = std::move(hook);
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

std::optional<WindowRect> FakeWindows::rect(WindowHandle window) {
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
  if (refuse_foreground_ || find(window) == nullptr) return false;
  foreground_ = window;
  return true;
}

void FakeWindowEvents::queue(RawWindowEvent event) {
  std::lock_guard<std::mutex> hold(mutex_);
  queued_.push_back(event);
}

void FakeWindowEvents::run(const std::function<void(const RawWindowEvent&)>& deliver) {
  std::vector<RawWindowEvent> events;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    events.swap(queued_);
  }
  for (const RawWindowEvent& event : events) deliver(event);
}

}  // namespace winhelper::fakes
