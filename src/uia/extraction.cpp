#include "uia/extraction.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "uia/cached_extraction.h"
#include "uia/element_access.h"
#include "uia/element_record.h"
#include "uia/session.h"

namespace winhelper::uia {
namespace {

bool read_bool(Element& element, int property_id) {
  return element.property_bool(property_id).value_or(false);
}

bool has_default_action(Element& element) {
  auto legacy = element.legacy_accessible_pattern();
  if (!legacy) return false;
  auto action = legacy->default_action();
  return action && is_meaningful_action(action.value());
}

// The record of one element read live, call by call, or nothing when it is
// not reported (control type unreadable, empty or unreadable bounds, off
// screen or unreadable off-screen state). The parent's runtime id is read by
// the caller.
std::optional<ExtractedElement> describe(Element& element) {
  auto control_type = element.control_type();
  if (!control_type) return std::nullopt;

  ElementFacts f;
  f.control_type = control_type.value();
  f.name = element.name().value_or(std::string());
  f.automation_id = element.automation_id().value_or(std::string());
  f.runtime_id = runtime_id_or_empty(element);
  f.class_name = element.class_name().value_or(std::string());

  auto rect = element.bounding_rectangle();
  if (!rect || !has_extent(rect.value())) return std::nullopt;
  f.rect = rect.value();

  auto offscreen = element.is_offscreen();
  if (!offscreen || offscreen.value()) return std::nullopt;

  f.enabled = element.is_enabled().value_or(true);
  f.keyboard_focusable = element.is_keyboard_focusable().value_or(false);
  f.password = element.is_password().value_or(false);

  // A password field's value is never read, so its secret cannot reach the
  // look store or be matched by later waits.
  if (auto pattern = element.value_pattern()) {
    if (!f.password) f.value = pattern->value().value_or(std::string());
    f.read_only = pattern->is_read_only().value_or(false);
  }

  f.invoke = read_bool(element, property::kIsInvokeAvailable);
  f.toggle = read_bool(element, property::kIsToggleAvailable);
  f.selection_item = read_bool(element, property::kIsSelectionItemAvailable);
  f.expand_collapse = read_bool(element, property::kIsExpandCollapseAvailable);
  f.legacy_action =
      read_bool(element, property::kIsLegacyAccessibleAvailable) && has_default_action(element);
  f.value_available = read_bool(element, property::kIsValueAvailable);
  f.text_available = read_bool(element, property::kIsTextAvailable);
  f.scroll = read_bool(element, property::kIsScrollAvailable);
  return element_record(f);
}

// The climb of the live walk: through the control view, element by element.
// An element that cannot be fetched or a parent that cannot be read ends it.
AncestorClimb live_climb(ElementArray& all, TreeWalker& walker) {
  return [&all, &walker](int scanned, const std::function<bool(const RuntimeId&)>& reached) {
    auto element = all.element(scanned);
    if (!element) return;
    ElementPtr current = std::move(element).value();
    while (true) {
      auto parent = walker.parent(*current);
      if (!parent) return;
      current = std::move(parent).value();
      if (reached(runtime_id_or_empty(*current))) return;
    }
  };
}

}  // namespace

Result<ElementList> extract_per_element(Session& session, Element& root,
                                        ElementNumbering& numbering) {
  // The control view, as the search without a cache request sees it by
  // default, named so that no provider default decides.
  auto condition = control_view_condition(session);
  if (!condition) return step_failure("CreatePropertyCondition", condition.error());
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
    record->parent_runtime_id = std::move(parent_id);
    record->ref = "@e" + std::to_string(numbering.take_element_number());
    records.push_back(std::move(*record));
  }
  if (length > kReportedElementLimit) {
    mark_omissions(
        length, live_climb(*all.value(), *walker.value()),
        [&root] { return runtime_id_or_empty(root); }, records);
  }
  return records;
}

Result<ElementList> extract(Session& session, Element& root, ElementNumbering& numbering) {
  if (auto cached = extract_cached(session, root)) {
    for (ExtractedElement& record : *cached) {
      record.ref = "@e" + std::to_string(numbering.take_element_number());
    }
    return std::move(*cached);
  }
  return extract_per_element(session, root, numbering);
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

namespace {

void write_line_to_stderr(const std::string& line) {
  // One write, so lines of concurrent workers do not interleave.
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

namespace {

constexpr int kDocumentControlType = 50030;

bool is_chromium_class(const std::string& class_name) {
  return class_name.rfind("Chrome_WidgetWin", 0) == 0 ||
         class_name.rfind("Chrome_RenderWidgetHostHWND", 0) == 0;
}

}  // namespace

bool awaits_late_tree(const ElementList& list) {
  bool chromium = false;
  for (const ExtractedElement& record : list) chromium |= is_chromium_class(record.class_name);
  if (!chromium) return false;
  for (const ExtractedElement& document : list) {
    if (document.control_type != kDocumentControlType || document.runtime_id.empty()) continue;
    bool has_child = std::any_of(list.begin(), list.end(), [&](const ExtractedElement& r) {
      return r.parent_runtime_id == document.runtime_id;
    });
    if (!has_child) return true;
  }
  return false;
}

ElementList extract_window_settled_or_warn(UiaClient& client, std::int64_t window_handle,
                                           ElementNumbering& numbering, Clock& clock,
                                           const std::function<void(const std::string&)>& warn) {
  FreshElementNumbering scratch;
  auto list = extract_window(client, window_handle, scratch);
  const std::int64_t deadline = clock.now_ms() + kLateTreeWaitMs;
  while (list && awaits_late_tree(*list) && clock.now_ms() < deadline) {
    clock.sleep_ms(kLateTreePollMs);
    list = extract_window(client, window_handle, scratch);
  }
  if (!list) {
    warn(extraction_warning_line(list.error().message));
    return {};
  }
  if (awaits_late_tree(*list)) {
    warn("[uia] WARN the web document has no elements yet after " +
         std::to_string(kLateTreeWaitMs / 1000) + " s; the outline may be incomplete\n");
  }
  for (ExtractedElement& record : *list) {
    record.ref = "@e" + std::to_string(numbering.take_element_number());
  }
  return std::move(list).value();
}

void warn_extraction_skipped(const std::string& failure_text) {
  write_line_to_stderr(extraction_warning_line(failure_text));
}

ElementList extract_window_or_warn(UiaClient& client, std::int64_t window_handle,
                                   ElementNumbering& numbering) {
  return extract_window_or_warn(client, window_handle, numbering, write_line_to_stderr);
}

Result<ElementList> extract_scope(UiaClient& client, const ElementLocator& locator,
                                  ElementNumbering& numbering) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  return extract(*resolved->session, *resolved->element, numbering);
}

ElementList extract_window_settled_or_warn(UiaClient& client, std::int64_t window_handle,
                                           ElementNumbering& numbering, Clock& clock) {
  return extract_window_settled_or_warn(client, window_handle, numbering, clock,
                                        write_line_to_stderr);
}

}  // namespace winhelper::uia
