#include "uia/element_access.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "uia/session.h"

namespace winhelper::uia {
namespace {

// How far the hit test climbs from one element towards the root.
constexpr int kAncestorLevels = 64;

bool runtime_id_matches(Element& element, const RuntimeId& wanted) {
  auto id = element.runtime_id();
  return id && id.value() == wanted;
}

// The automation-id fast path. Every failure here is silent: the full scan
// decides instead.
ElementPtr find_by_automation_id(Session& session, Element& root, const ElementLocator& locator) {
  auto condition = session.create_automation_id_condition(locator.automation_id);
  if (!condition) return nullptr;
  auto found = root.find_first_subtree(*condition.value());
  if (!found) return nullptr;
  if (locator.runtime_id.empty() || runtime_id_matches(*found.value(), locator.runtime_id)) {
    return std::move(found).value();
  }
  return nullptr;
}

Result<ElementPtr> scan_subtree(Session& session, Element& root, const ElementLocator& locator) {
  auto condition = session.create_true_condition();
  if (!condition) return step_failure("CreateTrueCondition", condition.error());
  auto all = root.find_all_subtree(*condition.value());
  if (!all) return step_failure("FindAll", all.error());
  auto length = all.value()->length();
  if (!length) return step_failure("ElementArray.Length", length.error());

  ElementPtr candidate;
  for (int i = 0; i < length.value(); ++i) {
    auto element = all.value()->element(i);
    if (!element) return step_failure("GetElement(" + std::to_string(i) + ")", element.error());
    if (runtime_id_matches(*element.value(), locator.runtime_id)) return std::move(element).value();
    if (!locator.automation_id.empty() && !candidate) {
      auto id = element.value()->automation_id();
      if (id && id.value() == locator.automation_id) candidate = std::move(element).value();
    }
  }
  if (candidate) return candidate;
  return uia_failure(kStaleElementText);
}

std::int32_t to_screen_coordinate(double value) {
  if (std::isnan(value)) return 0;
  double rounded = std::round(value);
  if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(rounded);
}

// True when one of the start element's ancestors has the wanted runtime id.
bool has_ancestor(TreeWalker& walker, const RuntimeId& wanted, Element& start) {
  if (wanted.empty()) return false;
  ElementPtr current;
  for (int level = 0; level < kAncestorLevels; ++level) {
    auto parent = walker.parent(current ? *current : start);
    if (!parent) return false;
    current = std::move(parent).value();
    if (runtime_id_matches(*current, wanted)) return true;
  }
  return false;
}

}  // namespace

Result<ElementPtr> window_root(Session& session, std::int64_t window_handle) {
  auto root = session.element_from_handle(window_handle);
  if (!root) return step_failure("ElementFromHandle", root.error());
  return std::move(root).value();
}

Result<ResolvedElement> resolve_element(UiaClient& client, const ElementLocator& locator) {
  auto session = open_session(client);
  if (!session) return std::move(session).take_error();
  ResolvedElement resolved{std::move(session).value(), nullptr};
  Session& s = *resolved.session;

  auto root = window_root(s, locator.window_handle);
  if (!root) return std::move(root).take_error();
  if (runtime_id_matches(*root.value(), locator.runtime_id)) {
    resolved.element = std::move(root).value();
    return resolved;
  }
  if (!locator.automation_id.empty()) {
    resolved.element = find_by_automation_id(s, *root.value(), locator);
    if (resolved.element) return resolved;
  }
  auto found = scan_subtree(s, *root.value(), locator);
  if (!found) return std::move(found).take_error();
  resolved.element = std::move(found).value();
  return resolved;
}

Result<bool> hit_test(UiaClient& client, const ElementLocator& locator, double x, double y) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  Session& session = *resolved->session;
  Element& target = *resolved->element;

  auto hit = session.element_from_point(to_screen_coordinate(x), to_screen_coordinate(y));
  if (!hit) return step_failure("ElementFromPoint", hit.error());
  RuntimeId target_id = runtime_id_or_empty(target);
  RuntimeId hit_id = runtime_id_or_empty(*hit.value());
  if (!target_id.empty() && target_id == hit_id) return true;

  auto walker = session.control_view_walker();
  if (!walker) return step_failure("ControlViewWalker", walker.error());
  if (has_ancestor(*walker.value(), target_id, *hit.value())) return true;
  return has_ancestor(*walker.value(), hit_id, target);
}

Result<ElementBounds> element_bounds(UiaClient& client, const ElementLocator& locator) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  Element& element = *resolved->element;
  auto rect = element.bounding_rectangle();
  if (!rect) return step_failure("CurrentBoundingRectangle", rect.error());
  ElementBounds bounds;
  bounds.runtime_id = runtime_id_or_empty(element);
  bounds.x = static_cast<double>(rect->left);
  bounds.y = static_cast<double>(rect->top);
  bounds.width = static_cast<double>(rect->right - rect->left);
  bounds.height = static_cast<double>(rect->bottom - rect->top);
  return bounds;
}

}  // namespace winhelper::uia
