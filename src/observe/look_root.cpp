#include "observe/look_root.h"

#include <algorithm>

#include "windows/window_classes.h"
#include "windows/window_json.h"

namespace winhelper {

LookRoot read_look_root(WindowRecord record) {
  LookRoot root;
  root.root_ref = record.ref;
  root.kind = record.kind;
  root.frame_x = static_cast<double>(record.bounds.x);
  root.frame_y = static_cast<double>(record.bounds.y);
  root.frame_width = std::max(static_cast<double>(record.bounds.width), 1.0);
  root.frame_height = std::max(static_cast<double>(record.bounds.height), 1.0);
  root.window_id = record.window_id;
  root.pid = record.pid;
  root.record = std::move(record);
  return root;
}

bool look_takes_image(const LookRoot& root, bool include_image) {
  return include_image && root.kind != "menu";
}

Json describe_look_window(const LookRoot& root) {
  const WindowRecord& record = root.record;
  // Whole pixels, as the listing wrote them; the sizes at least 1.
  Json frame = Json::object();
  frame["h"] = std::max<std::int64_t>(record.bounds.height, 1);
  frame["w"] = std::max<std::int64_t>(record.bounds.width, 1);
  frame["x"] = record.bounds.x;
  frame["y"] = record.bounds.y;

  Json window = Json::object();
  window["framePoints"] = std::move(frame);
  window["isModal"] = record.is_modal;
  window["kind"] = root.kind;
  window["metadata"] = window_metadata_json(metadata_of(record));
  window["role"] = window_role(root.kind);
  window["rootRef"] = root.root_ref;
  window["scaleFactor"] = record.scale_factor;
  window["subrole"] = record.class_name;
  window["windowId"] = root.window_id > 0 ? root.window_id : 0;
  return window;
}

}  // namespace winhelper
