#pragma once
// Converts the flat element list of an extraction into a look's outline: a
// tree of element nodes under a synthetic node for the root window, with
// rectangles in image pixels and refs that embed the look id. Fills the
// look's element table with a record for every ref it writes.
//
// The root window's record is read tolerantly: a missing or mistyped member
// falls back to its default, so conversion never fails.

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "context/look.h"
#include "context/seen_element.h"
#include "uia/element_record.h"
#include "windows/window_record.h"

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

// The root node with the assembled tree. `extracted` is the extraction's
// list; `root_record` the root window's record. `seen`, when given, gets
// an entry for every placed node that has a ref, in outline order.
nlohmann::json build_outline(const uia::ElementList& extracted, const OutlineContext& context,
                             const WindowRecord& root_record, const std::string& root_ref,
                             std::map<std::string, ElementRecord>& elements,
                             std::vector<SeenElement>* seen = nullptr);

}  // namespace winhelper
