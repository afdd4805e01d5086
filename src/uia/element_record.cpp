#include "uia/element_record.h"

#include <algorithm>

#include "common/text.h"
#include "uia/roles.h"

namespace winhelper::uia {

bool has_extent(const ScreenRect& rect) {
  return rect.right - rect.left > 0 && rect.bottom - rect.top > 0;
}

bool is_meaningful_action(const std::string& action) {
  if (!is_valid_utf8(action)) return !action.empty();
  return !trim_unicode_whitespace(action).empty();
}

ExtractedElement element_record(const ElementFacts& f) {
  ExtractedElement record;
  record.role = std::string(role_for_control_type(f.control_type));
  record.control_type = f.control_type;
  record.label = f.name;
  record.automation_id = f.automation_id;
  record.runtime_id = f.runtime_id;
  record.class_name = f.class_name;
  record.bounds = f.rect;
  record.is_password = f.password;
  record.value = f.value;
  record.can_invoke = f.invoke;
  record.can_press =
      f.invoke || f.selection_item || f.toggle || f.expand_collapse || f.legacy_action;
  record.can_scroll = f.scroll;
  record.can_set_value = (f.value_available && !f.read_only) || f.text_available;
  record.enabled = f.enabled;
  record.keyboard_focusable = f.keyboard_focusable;
  return record;
}

void mark_omissions(int length, const AncestorClimb& climb,
                    const std::function<RuntimeId()>& root_id, ElementList& records) {
  std::set<RuntimeId> reported;
  for (const ExtractedElement& record : records) {
    if (!record.runtime_id.empty()) reported.insert(record.runtime_id);
  }
  std::set<RuntimeId> marked;
  const int end = std::min(length, kScannedElementLimit);
  for (int scanned = kReportedElementLimit; scanned < end; ++scanned) {
    int levels = 0;
    climb(scanned, [&](const RuntimeId& id) {
      if (!id.empty() && reported.count(id) != 0) {
        marked.insert(id);
        return true;
      }
      return ++levels >= kOmissionAncestorLevels;
    });
  }
  if (length > kScannedElementLimit) {
    RuntimeId root = root_id();
    if (!root.empty()) marked.insert(std::move(root));
  }
  for (ExtractedElement& record : records) {
    if (marked.count(record.runtime_id) != 0) record.truncated = true;
  }
}

}  // namespace winhelper::uia
