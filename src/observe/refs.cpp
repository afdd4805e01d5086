#include "observe/refs.h"

#include <algorithm>

namespace winhelper {

std::string format_look_id(std::uint64_t number) { return "look_" + std::to_string(number); }

std::string format_element_ref(std::string_view look_id, std::string_view raw_ref) {
  std::string ref = "win:";
  ref += look_id;
  ref += ':';
  ref += raw_ref;
  return ref;
}

HelperError stale_ref_error() { return {ErrorCode::StaleRef, "Element reference is stale"}; }

std::string look_unavailable_message(std::string_view look_id) {
  return "Look id '" + std::string(look_id) + "' is no longer available";
}

HelperError map_element_failure(std::string text) {
  if (text.find("stale") != std::string::npos ||
      text.find("Element reference") != std::string::npos) {
    return stale_ref_error();
  }
  return internal_error(std::move(text));
}

Json map_look_point(const Look& look, double x, double y) {
  // The sizes are at least 1 by construction; guard anyway so that a look
  // built carelessly cannot divide by zero or yield NaN.
  double image_width = std::max(look.image_width, 1.0);
  double image_height = std::max(look.image_height, 1.0);
  double frame_width = std::max(look.frame_width, 1.0);
  double frame_height = std::max(look.frame_height, 1.0);
  double rx = std::clamp(x / image_width, 0.0, 1.0);
  double ry = std::clamp(y / image_height, 0.0, 1.0);
  if (rx != rx) rx = 0.0;
  if (ry != ry) ry = 0.0;
  Json point = Json::object();
  point["x"] = look.frame_x + frame_width * rx;
  point["y"] = look.frame_y + frame_height * ry;
  return point;
}

}  // namespace winhelper
