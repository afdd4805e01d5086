#pragma once
// The element record of extraction, built from what was read of one element,
// whichever way it was read (live calls or a cache request), so both ways
// report the same record for the same facts.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "uia/uia_port.h"

namespace winhelper::uia {

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

// One reported element. The tree is carried by runtime_id and
// parent_runtime_id; the outline rebuilds it. Distinct from the look store's
// record, which is what a look remembers of a ref it handed out (bounds in
// its units, the root window's id and class).
struct ExtractedElement {
  std::string ref;  // "@e" + number; empty until the walk numbers it
  std::string role;
  int control_type = 0;
  std::string label;
  std::string automation_id;
  std::string class_name;
  std::string value;  // never read for a password field
  RuntimeId runtime_id;
  RuntimeId parent_runtime_id;  // empty when there is none or it cannot be read
  ScreenRect bounds;
  bool is_password = false;
  bool can_invoke = false;
  bool can_press = false;  // invoke, select, toggle, expand or a default action
  bool can_scroll = false;
  bool can_set_value = false;
  bool enabled = true;
  bool keyboard_focusable = false;
  // Further elements were left out below this one.
  bool truncated = false;

  bool operator==(const ExtractedElement&) const = default;
};

using ElementList = std::vector<ExtractedElement>;

// Elements without width or height are not reported.
bool has_extent(const ScreenRect& rect);

// A default action counts when it is not blank (white space trimmed).
bool is_meaningful_action(const std::string& action);

// The record without its parent's runtime id and ref, which the walk adds.
ExtractedElement element_record(const ElementFacts& facts);

// The first elements of the subtree are examined and reported; the ones after
// them up to the scan limit are only climbed from to find where elements were
// left out, at most so many ancestors each.
inline constexpr int kReportedElementLimit = 200;
inline constexpr int kScannedElementLimit = 1200;
inline constexpr int kOmissionAncestorLevels = 64;

// Hands the runtime ids of one scanned element's ancestors, nearest first, to
// `reached` until it returns true or the chain ends; an unreadable id is
// handed as empty.
using AncestorClimb =
    std::function<void(int scanned, const std::function<bool(const RuntimeId&)>& reached)>;

// Marks truncated the reported records under which the scanned elements past
// them (of `length` in the subtree) have ancestors, the nearest reported one
// each, and the subtree's root (`root_id`, asked for only then) when the
// subtree is larger than the scan. An empty runtime id identifies nothing, so
// it neither collects nor marks. Never fails the extraction.
void mark_omissions(int length, const AncestorClimb& climb,
                    const std::function<RuntimeId()>& root_id, ElementList& records);

}  // namespace winhelper::uia
