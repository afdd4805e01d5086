#include "observe/look_root.h"

#include <algorithm>

#include "protocol/args.h"

namespace winhelper {

namespace {

// `long_key` when it is a number, else `short_key`, else 1; at least 1.
double frame_size(const Json& frame, const char* long_key, const char* short_key) {
  std::optional<double> size = arg_f64(frame, short_key);
  if (!size) size = arg_f64(frame, long_key);
  return std::max(size.value_or(1.0), 1.0);
}

// Whole numbers are written without a fraction, as the listing wrote them.
Json number_value(double value) {
  if (value >= -9.0e15 && value <= 9.0e15 && value == static_cast<double>(static_cast<std::int64_t>(value)))
    return static_cast<std::int64_t>(value);
  return value;
}

}  // namespace

LookRoot read_look_root(Json record) {
  LookRoot root;
  root.root_ref = arg_string(record, "rootRef").value_or("");
  root.kind = arg_string(record, "kind").value_or("window");
  if (const Json* frame = arg_object(record, "framePoints")) {
    root.frame_x = arg_f64(*frame, "x").value_or(0.0);
    root.frame_y = arg_f64(*frame, "y").value_or(0.0);
    root.frame_width = frame_size(*frame, "width", "w");
    root.frame_height = frame_size(*frame, "height", "h");
  }
  root.window_id = arg_i64(record, "windowId").value_or(0);
  root.pid = arg_u64(record, "pid").value_or(0);
  root.record = std::move(record);
  return root;
}

bool look_takes_image(const LookRoot& root, bool include_image) {
  return include_image && root.kind != "menu";
}

Json describe_look_window(const LookRoot& root) {
  const Json& record = root.record;
  Json frame = Json::object();
  frame["h"] = number_value(root.frame_height);
  frame["w"] = number_value(root.frame_width);
  frame["x"] = number_value(root.frame_x);
  frame["y"] = number_value(root.frame_y);

  Json window = Json::object();
  window["framePoints"] = std::move(frame);
  window["isModal"] = arg_bool(record, "isModal").value_or(false);
  window["kind"] = root.kind;
  if (const Json* metadata = arg_member(record, "metadata")) window["metadata"] = *metadata;
  window["role"] = arg_string(record, "role").value_or("Window");
  window["rootRef"] = root.root_ref;
  const Json* scale = arg_member(record, "scaleFactor");
  window["scaleFactor"] = scale != nullptr && scale->is_number() ? *scale : Json(1);
  window["subrole"] = arg_string(record, "subrole").value_or("");
  window["windowId"] = root.window_id > 0 ? root.window_id : 0;
  return window;
}

}  // namespace winhelper
