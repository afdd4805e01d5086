#pragma once
// Converts the flat element list of an extraction into a look's outline: a
// tree of element nodes under a synthetic node for the root window, with
// rectangles in image pixels and refs that embed the look id. Fills the
// look's element table with a record for every ref it writes.
//
// Input records are read tolerantly: a missing or mistyped member falls back
// to its default, so conversion never fails.

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "context/look.h"

namespace winhelper {

struct OutlineContext {
  std::string look_id;
  double frame_x = 0;
  double frame_y = 0;
  // Image size over frame size.
  double scale_x = 1;
  double scale_y = 1;
  // The image size, each at least 1; the root node covers it.
  double image_width = 1;
  double image_height = 1;
};

// Nodes nested deeper than this, and nodes met again on their own parent
// chain, are emitted without children and marked truncated.
inline constexpr std::size_t kOutlineDepthLimit = 64;

// One element node from one raw element record. Inserts the element's record
// into `elements` under the node's ref when the ref is not empty.
nlohmann::json convert_element(const nlohmann::json& raw, const OutlineContext& context,
                               const nlohmann::json& root_record,
                               std::map<std::string, ElementRecord>& elements);

// The root node with the assembled tree. `raw_elements` is the extraction's
// list (anything but an array counts as empty); `root_record` the root
// window's record.
nlohmann::json build_outline(const nlohmann::json& raw_elements, const OutlineContext& context,
                             const nlohmann::json& root_record, const std::string& root_ref,
                             std::map<std::string, ElementRecord>& elements);

}  // namespace winhelper
