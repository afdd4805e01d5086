#include "windows/root_snapshot.h"

#include "windows/inventory.h"
#include "windows/window_registry.h"

namespace winhelper {

Result<RootSnapshot> take_root_snapshot(WindowSystem& windows, std::uint64_t pid) {
  WindowRegistry fresh;
  Result<WindowListing> listing = list_windows(windows, fresh, pid);
  if (!listing) return listing.take_error();
  RootSnapshot snapshot;
  snapshot.foreground_pid = foreground_process_id(windows);
  for (WindowRecord& record : listing->windows) {
    std::string key = root_key(record);
    snapshot.roots[std::move(key)] = std::move(record);
  }
  return snapshot;
}

}  // namespace winhelper
