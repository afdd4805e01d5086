#include "windows/root_snapshot.h"

#include "windows/inventory.h"
#include "windows/window_ref.h"
#include "windows/window_registry.h"

namespace winhelper {

Result<RootSnapshot> take_root_snapshot(WindowSystem& windows, std::uint64_t pid) {
  WindowRegistry fresh;
  Result<Json> listing = list_windows(windows, fresh, pid);
  if (!listing) return listing.take_error();
  RootSnapshot snapshot;
  snapshot.foreground_pid = foreground_process_id(windows);
  for (const Json& record : listed_records(*listing)) {
    snapshot.roots[root_key(record)] = record;
  }
  return snapshot;
}

}  // namespace winhelper
