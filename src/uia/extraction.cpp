#include "uia/extraction.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>

#include "common/text.h"
#include "uia/element_access.h"
#include "uia/roles.h"
#include "uia/session.h"

namespace winhelper::uia {
namespace {

using nlohmann::json;

// How far the omission scan climbs from one left-out element.
constexpr int kOmissionAncestorLevels = 64;

json runtime_id_json(const RuntimeId& id) {
  json array = json::array();
  for (std::int32_t part : id) array.push_back(part);
  return array;
}

bool read_bool(Element& element, int property_id) {
  auto value = element.property_bool(property_id);
  return value && value.value();
}

template <typename T>
T value_or(Result<T> result, T fallback) {
  return result ? std::move(result).value() : std::move(fallback);
}

bool has_default_action(Element& element) {
  auto legacy = element.legacy_accessible_pattern();
  if (!legacy) return false;
  auto action = legacy->default_action();
  if (!action) return false;
  const std::string& text = action.value();
  if (!is_valid_utf8(text)) return !text.empty();
  return !trim_unicode_whitespace(text).empty();
}

// The record of one element, or nothing when it is not reported (control type
// unreadable, empty or unreadable bounds, off screen or unreadable off-screen
// state). The parent's runtime id is read by the caller.
std::optional<json> describe(Element& element) {
  auto control_type = element.control_type();
  if (!control_type) return std::nullopt;

  json record;
  record["role"] = std::string(role_for_control_type(control_type.value()));
  record["label"] = value_or(element.name(), std::string());
  record["automationId"] = value_or(element.automation_id(), std::string());
  RuntimeId id = runtime_id_or_empty(element);
  record["runtimeId"] = runtime_id_json(id);
  record["className"] = value_or(element.class_name(), std::string());

  auto rect = element.bounding_rectangle();
  if (!rect) return std::nullopt;
  std::int64_t width = rect->right - rect->left;
  std::int64_t height = rect->bottom - rect->top;
  if (width <= 0 || height <= 0) return std::nullopt;
  record["bounds"] = {{"x", rect->left}, {"y", rect->top}, {"width", width}, {"height", height}};

  auto offscreen = element.is_offscreen();
  if (!offscreen || offscreen.value()) return std::nullopt;

  bool enabled = value_or(element.is_enabled(), true);
  bool focusable = value_or(element.is_keyboard_focusable(), false);
  bool password = value_or(element.is_password(), false);
  record["isPassword"] = password;

  // A password field's value is never read, so its secret cannot reach the
  // look store or be matched by later waits.
  std::string value;
  bool read_only = false;
  if (auto pattern = element.value_pattern()) {
    if (!password) value = value_or(pattern->value(), std::string());
    read_only = value_or(pattern->is_read_only(), false);
  }
  record["value"] = value;

  bool invoke = read_bool(element, property::kIsInvokeAvailable);
  bool toggle = read_bool(element, property::kIsToggleAvailable);
  bool selection = read_bool(element, property::kIsSelectionItemAvailable);
  bool expand = read_bool(element, property::kIsExpandCollapseAvailable);
  bool legacy_action = read_bool(element, property::kIsLegacyAccessibleAvailable) &&
                       has_default_action(element);
  bool value_available = read_bool(element, property::kIsValueAvailable);
  bool text_available = read_bool(element, property::kIsTextAvailable);
  bool scroll = read_bool(element, property::kIsScrollAvailable);

  record["capabilities"] = {
      {"canInvoke", invoke},
      {"canPress", invoke || selection || toggle || expand || legacy_action},
      {"canScroll", scroll},
      {"canSetValue", (value_available && !read_only) || text_available},
      {"isEnabled", enabled},
      {"isKeyboardFocusable", focusable},
      {"isOffscreen", false},
  };
  return record;
}

// Marks the reported elements under which the scan of the elements beyond
// the reported ones finds further elements. Never fails the extraction.
void mark_omissions(ElementArray& all, int length, Element& root, TreeWalker& walker,
                    ElementList& records) {
  // An empty runtime id identifies nothing, so it neither collects nor marks.
  std::set<std::string> reported;
  for (const json& record : records) {
    std::string text = runtime_id_text(record["runtimeId"].get<RuntimeId>());
    if (!text.empty()) reported.insert(text);
  }
  std::set<std::string> marked;
  int end = std::min(length, kScannedElementLimit);
  for (int j = kReportedElementLimit; j < end; ++j) {
    auto element = all.element(j);
    if (!element) continue;
    ElementPtr current = std::move(element).value();
    for (int level = 0; level < kOmissionAncestorLevels; ++level) {
      auto parent = walker.parent(*current);
      if (!parent) break;
      current = std::move(parent).value();
      std::string text = runtime_id_text(runtime_id_or_empty(*current));
      if (!text.empty() && reported.count(text) != 0) {
        marked.insert(text);
        break;
      }
    }
  }
  if (length > kScannedElementLimit) {
    std::string root_text = runtime_id_text(runtime_id_or_empty(root));
    if (!root_text.empty()) marked.insert(root_text);
  }
  for (json& record : records) {
    if (marked.count(runtime_id_text(record["runtimeId"].get<RuntimeId>())) != 0) {
      record["truncated"] = true;
    }
  }
}

}  // namespace

Result<ElementList> extract(Session& session, Element& root, ElementNumbering& numbering) {
  auto condition = session.create_true_condition();
  if (!condition) return step_failure("CreateTrueCondition", condition.error());
  auto all = root.find_all_subtree(*condition.value());
  if (!all) return step_failure("FindAll", all.error());
  auto length_read = all.value()->length();
  if (!length_read) return step_failure("ElementArray.Length", length_read.error());
  // A negative length is taken as a very large array.
  int length = length_read.value() < 0 ? std::numeric_limits<int>::max() : length_read.value();
  int examined = std::min(length, kReportedElementLimit);

  auto walker = session.control_view_walker();
  if (!walker) return step_failure("ControlViewWalker", walker.error());

  ElementList records;
  for (int i = 0; i < examined; ++i) {
    auto element = all.value()->element(i);
    if (!element) return step_failure("GetElement(" + std::to_string(i) + ")", element.error());
    RuntimeId parent_id;
    if (auto parent = walker.value()->parent(*element.value())) {
      parent_id = runtime_id_or_empty(*parent.value());
    }
    auto record = describe(*element.value());
    if (!record) continue;
    (*record)["parentRuntimeId"] = runtime_id_json(parent_id);
    (*record)["ref"] = "@e" + std::to_string(numbering.take_element_number());
    records.push_back(std::move(*record));
  }
  if (length > kReportedElementLimit) {
    mark_omissions(*all.value(), length, root, *walker.value(), records);
  }
  return records;
}

Result<ElementList> extract_window(UiaClient& client, std::int64_t window_handle,
                                      ElementNumbering& numbering) {
  auto session = open_session(client);
  if (!session) return std::move(session).take_error();
  auto root = window_root(*session.value(), window_handle);
  if (!root) return std::move(root).take_error();
  return extract(*session.value(), *root.value(), numbering);
}

std::string extraction_warning_line(const std::string& failure_text) {
  return "[uia] WARN extraction skipped: " + failure_text + "\n";
}

ElementList extract_window_or_warn(UiaClient& client, std::int64_t window_handle,
                                   ElementNumbering& numbering,
                                   const std::function<void(const std::string&)>& warn) {
  auto list = extract_window(client, window_handle, numbering);
  if (list) return std::move(list).value();
  warn(extraction_warning_line(list.error().message));
  return {};
}

ElementList extract_window_or_warn(UiaClient& client, std::int64_t window_handle,
                                   ElementNumbering& numbering) {
  return extract_window_or_warn(client, window_handle, numbering, [](const std::string& line) {
    // One write, so lines of concurrent workers do not interleave.
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  });
}

Result<ElementList> extract_scope(UiaClient& client, const ElementLocator& locator,
                                     ElementNumbering& numbering) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  return extract(*resolved->session, *resolved->element, numbering);
}

}  // namespace winhelper::uia
