#include "windows/inventory.h"

#include "common/state_ids.h"
#include "windows/window_classes.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

WindowBounds bounds_of(const std::optional<ScreenRect>& rect) {
  ScreenRect r = rect.value_or(ScreenRect{});
  return WindowBounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

WindowRecord describe(WindowSystem& windows, WindowRegistry& registry, WindowHandle window,
                      std::string title, std::uint32_t pid, WindowHandle foreground,
                      std::size_t z_order) {
  WindowRecord record;
  if (pid != 0) {
    std::string path = windows.process_image_path(pid);
    if (!path.empty()) record.process_name = process_name_from_path(path);
  }
  record.bounds = bounds_of(windows.rect(window));
  record.class_name = windows.class_name(window);
  record.browser_family = browser_family_of(record.process_name);
  record.ref = format_window_ref(registry.number_for(window));
  std::uint32_t dpi = windows.dpi(window);
  record.kind = window_kind(record.class_name, windows.owner(window) != 0);
  record.is_minimized = windows.is_iconic(window);
  record.ex_style = windows.ex_style(window);

  record.app_name = app_name_of(record.process_name);
  record.is_focused = window == foreground;
  record.is_modal = window_is_modal(record.class_name, record.ex_style);
  record.pid = pid;
  record.scale_factor = dpi == 0 ? 1.0 : static_cast<double>(dpi) / 96.0;
  record.title = std::move(title);
  record.window_id = window;
  record.z_order = z_order;
  return record;
}

}  // namespace

Result<WindowListing> list_windows(WindowSystem& windows, WindowRegistry& registry,
                                   std::optional<std::uint64_t> only_pid) {
  WindowEnumeration listed = windows.enumerate_top_level();
  if (listed.failure) return internal_error("EnumWindows failed: " + *listed.failure);

  WindowHandle foreground = windows.foreground();
  WindowListing listing;
  for (WindowHandle window : listed.handles) {
    if (!windows.is_visible(window)) continue;
    std::string title = windows.title(window);
    std::uint32_t pid = windows.process_id(window);
    if (only_pid && *only_pid != pid) continue;
    listing.windows.push_back(describe(windows, registry, window, std::move(title), pid, foreground,
                                       listing.windows.size()));
  }
  listing.state_id = next_state_id("w");
  return listing;
}

std::optional<std::uint32_t> foreground_process_id(WindowSystem& windows) {
  WindowHandle foreground = windows.foreground();
  if (foreground == 0) return std::nullopt;
  std::uint32_t pid = windows.process_id(foreground);
  if (pid == 0) return std::nullopt;
  return pid;
}

}  // namespace winhelper
