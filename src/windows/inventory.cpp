#include "windows/inventory.h"

#include "common/state_ids.h"
#include "windows/window_classes.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

Json bounds_of(const std::optional<ScreenRect>& rect) {
  ScreenRect r = rect.value_or(ScreenRect{});
  Json bounds = Json::object();
  bounds["height"] = r.bottom - r.top;
  bounds["width"] = r.right - r.left;
  bounds["x"] = r.left;
  bounds["y"] = r.top;
  return bounds;
}

Json describe(WindowSystem& windows, WindowRegistry& registry, WindowHandle window,
              std::string title, std::uint32_t pid, WindowHandle foreground,
              std::size_t z_order) {
  std::string process_name;
  if (pid != 0) {
    std::string path = windows.process_image_path(pid);
    if (!path.empty()) process_name = process_name_from_path(path);
  }
  Json bounds = bounds_of(windows.rect(window));
  std::string class_name = windows.class_name(window);
  std::optional<std::string> family = browser_family_of(process_name);
  std::string ref = format_window_ref(registry.number_for(window));
  std::uint32_t dpi = windows.dpi(window);
  bool owned = windows.owner(window) != 0;
  bool minimized = windows.is_iconic(window);
  std::string kind = window_kind(class_name, owned);
  std::uint32_t ex_style = windows.ex_style(window);

  Json family_value = family ? Json(*family) : Json(nullptr);
  bool focused = window == foreground;

  Json metadata = Json::object();
  metadata["browserFamily"] = family_value;
  metadata["className"] = class_name;
  metadata["exStyle"] = ex_style;
  metadata["isBrowser"] = family.has_value();

  Json record = Json::object();
  record["appName"] = app_name_of(process_name);
  record["bounds"] = bounds;
  record["browserFamily"] = family_value;
  record["framePoints"] = bounds;
  record["isBrowser"] = family.has_value();
  record["isFocused"] = focused;
  record["isMain"] = focused;
  record["isMinimized"] = minimized;
  record["isModal"] = window_is_modal(class_name, ex_style);
  record["isOnscreen"] = !minimized;
  record["kind"] = kind;
  record["metadata"] = std::move(metadata);
  record["pid"] = pid;
  record["processName"] = process_name;
  record["ref"] = ref;
  record["role"] = window_role(kind);
  record["rootRef"] = ref;
  record["scaleFactor"] = dpi == 0 ? 1.0 : static_cast<double>(dpi) / 96.0;
  record["subrole"] = class_name;
  record["title"] = std::move(title);
  record["windowId"] = window;
  record["windowRef"] = ref;
  record["zOrder"] = z_order;
  return record;
}

}  // namespace

Result<Json> list_windows(WindowSystem& windows, WindowRegistry& registry,
                          std::optional<std::uint64_t> only_pid) {
  WindowEnumeration listed = windows.enumerate_top_level();
  if (listed.failure) return internal_error("EnumWindows failed: " + *listed.failure);

  WindowHandle foreground = windows.foreground();
  Json records = Json::array();
  for (WindowHandle window : listed.handles) {
    if (!windows.is_visible(window)) continue;
    std::string title = windows.title(window);
    std::uint32_t pid = windows.process_id(window);
    if (only_pid && *only_pid != pid) continue;
    records.push_back(
        describe(windows, registry, window, std::move(title), pid, foreground, records.size()));
  }

  Json result = Json::object();
  result["roots"] = records;
  result["stateId"] = next_state_id("w");
  result["windows"] = std::move(records);
  return result;
}

std::optional<std::uint32_t> foreground_process_id(WindowSystem& windows) {
  WindowHandle foreground = windows.foreground();
  if (foreground == 0) return std::nullopt;
  std::uint32_t pid = windows.process_id(foreground);
  if (pid == 0) return std::nullopt;
  return pid;
}

const Json& listed_records(const Json& listing) {
  static const Json kEmpty = Json::array();
  if (!listing.is_object()) return kEmpty;
  auto roots = listing.find("roots");
  if (roots != listing.end()) return roots->is_array() ? *roots : kEmpty;
  auto windows = listing.find("windows");
  if (windows != listing.end() && windows->is_array()) return *windows;
  return kEmpty;
}

}  // namespace winhelper
