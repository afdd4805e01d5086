#pragma once
// The element record of extraction, built from what was read of one element,
// whichever way it was read (live calls or a cache request), so both ways
// report the same bytes for the same facts.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "uia/uia_port.h"

namespace winhelper::uia {

using ElementList = std::vector<nlohmann::json>;

// What extraction reads of a reported element. Defaults are the values an
// unreadable property degrades to.
struct ElementFacts {
  int control_type = 0;
  std::string name;
  std::string automation_id;
  RuntimeId runtime_id;
  std::string class_name;
  ScreenRect rect;
  bool enabled = true;
  bool keyboard_focusable = false;
  bool password = false;
  std::string value;
  bool read_only = false;
  bool invoke = false;
  bool toggle = false;
  bool selection_item = false;
  bool expand_collapse = false;
  bool legacy_action = false;  // legacy pattern available with a default action
  bool value_available = false;
  bool text_available = false;
  bool scroll = false;
};

// Elements without width or height are not reported.
bool has_extent(const ScreenRect& rect);

// A default action counts when it is not blank (white space trimmed).
bool is_meaningful_action(const std::string& action);

nlohmann::json runtime_id_json(const RuntimeId& id);

// The record without its parentRuntimeId and ref, which the walk adds.
nlohmann::json element_record(const ElementFacts& facts);

// The first elements of the subtree are examined and reported; the ones after
// them up to the scan limit are only climbed from to find where elements were
// left out, at most so many ancestors each.
inline constexpr int kReportedElementLimit = 200;
inline constexpr int kScannedElementLimit = 1200;
inline constexpr int kOmissionAncestorLevels = 64;

// The reported elements under which left-out ones were found, by runtime-id
// text. An empty runtime id identifies nothing, so it neither collects nor
// marks.
class OmissionMarks {
 public:
  explicit OmissionMarks(const ElementList& records);
  // Marks the text when it is a reported element's; true when it was.
  bool mark_if_reported(const std::string& runtime_id_text);
  void mark(const std::string& runtime_id_text);
  // Adds "truncated": true to the marked records.
  void apply(ElementList& records) const;

 private:
  std::set<std::string> reported_;
  std::set<std::string> marked_;
};

}  // namespace winhelper::uia
