#include "windows/window_json.h"

#include "windows/window_classes.h"

namespace winhelper {

namespace {

Json bounds_json(const WindowBounds& bounds) {
  Json out = Json::object();
  out["height"] = bounds.height;
  out["width"] = bounds.width;
  out["x"] = bounds.x;
  out["y"] = bounds.y;
  return out;
}

Json family_json(const std::optional<std::string>& family) {
  return family ? Json(*family) : Json(nullptr);
}

const char* change_name(WindowChangeType change) {
  switch (change) {
    case WindowChangeType::Appeared:
      return "appeared";
    case WindowChangeType::Closed:
      return "closed";
    case WindowChangeType::Focused:
      return "focused";
  }
  return "appeared";
}

}  // namespace

Json window_metadata_json(const WindowMetadata& metadata) {
  Json out = Json::object();
  if (metadata.browser) {
    out["browserFamily"] = family_json(metadata.browser->family);
    out["isBrowser"] = metadata.browser->family.has_value();
  }
  out["className"] = metadata.class_name;
  out["exStyle"] = metadata.ex_style;
  return out;
}

Json window_record_json(const WindowRecord& record) {
  Json bounds = bounds_json(record.bounds);
  Json out = Json::object();
  out["appName"] = record.app_name;
  out["bounds"] = bounds;
  out["browserFamily"] = family_json(record.browser_family);
  out["framePoints"] = std::move(bounds);
  out["isBrowser"] = record.browser_family.has_value();
  out["isFocused"] = record.is_focused;
  out["isMain"] = record.is_focused;
  out["isMinimized"] = record.is_minimized;
  out["isModal"] = record.is_modal;
  out["isOnscreen"] = !record.is_minimized;
  out["kind"] = record.kind;
  out["metadata"] = window_metadata_json(metadata_of(record));
  out["pid"] = record.pid;
  out["processName"] = record.process_name;
  out["ref"] = record.ref;
  out["role"] = window_role(record.kind);
  out["rootRef"] = record.ref;
  out["scaleFactor"] = record.scale_factor;
  out["subrole"] = record.class_name;
  out["title"] = record.title;
  out["windowId"] = record.window_id;
  out["windowRef"] = record.ref;
  out["zOrder"] = record.z_order;
  return out;
}

Json window_listing_json(const WindowListing& listing) {
  Json records = Json::array();
  for (const WindowRecord& record : listing.windows) records.push_back(window_record_json(record));
  Json out = Json::object();
  out["roots"] = records;
  out["stateId"] = listing.state_id;
  out["windows"] = std::move(records);
  return out;
}

Json window_change_json(const WindowChange& change) {
  Json out = Json::object();
  out["change"] = change_name(change.change);
  out["kind"] = change.kind;
  out["pid"] = change.pid;
  out["title"] = change.title;
  if (change.ref) out["ref"] = *change.ref;
  if (change.window_id) out["windowId"] = *change.window_id;
  if (change.is_modal) out["isModal"] = *change.is_modal;
  if (change.metadata) out["metadata"] = window_metadata_json(*change.metadata);
  return out;
}

}  // namespace winhelper
