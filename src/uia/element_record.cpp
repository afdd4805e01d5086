#include "uia/element_record.h"

#include "common/text.h"
#include "uia/roles.h"
#include "uia/session.h"

namespace winhelper::uia {

using nlohmann::json;

bool has_extent(const ScreenRect& rect) {
  return rect.right - rect.left > 0 && rect.bottom - rect.top > 0;
}

bool is_meaningful_action(const std::string& action) {
  if (!is_valid_utf8(action)) return !action.empty();
  return !trim_unicode_whitespace(action).empty();
}

json runtime_id_json(const RuntimeId& id) {
  json array = json::array();
  for (std::int32_t part : id) array.push_back(part);
  return array;
}

json element_record(const ElementFacts& f) {
  json record;
  record["role"] = std::string(role_for_control_type(f.control_type));
  record["label"] = f.name;
  record["automationId"] = f.automation_id;
  record["runtimeId"] = runtime_id_json(f.runtime_id);
  record["className"] = f.class_name;
  record["bounds"] = {{"x", f.rect.left},
                      {"y", f.rect.top},
                      {"width", f.rect.right - f.rect.left},
                      {"height", f.rect.bottom - f.rect.top}};
  record["isPassword"] = f.password;
  record["value"] = f.value;
  record["capabilities"] = {
      {"canInvoke", f.invoke},
      {"canPress",
       f.invoke || f.selection_item || f.toggle || f.expand_collapse || f.legacy_action},
      {"canScroll", f.scroll},
      {"canSetValue", (f.value_available && !f.read_only) || f.text_available},
      {"isEnabled", f.enabled},
      {"isKeyboardFocusable", f.keyboard_focusable},
      {"isOffscreen", false},
  };
  return record;
}

OmissionMarks::OmissionMarks(const ElementList& records) {
  for (const json& record : records) {
    std::string text = runtime_id_text(record["runtimeId"].get<RuntimeId>());
    if (!text.empty()) reported_.insert(text);
  }
}

bool OmissionMarks::mark_if_reported(const std::string& text) {
  if (text.empty() || reported_.count(text) == 0) return false;
  marked_.insert(text);
  return true;
}

void OmissionMarks::mark(const std::string& text) {
  if (!text.empty()) marked_.insert(text);
}

void OmissionMarks::apply(ElementList& records) const {
  for (json& record : records) {
    if (marked_.count(runtime_id_text(record["runtimeId"].get<RuntimeId>())) != 0) {
      record["truncated"] = true;
    }
  }
}

}  // namespace winhelper::uia
