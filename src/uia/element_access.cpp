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
  auto id = runtime_id_of(element);
  return id && id.value() == wanted;
}

// Whether the element is still what the look saw: of the recorded control type
// and, where one was recorded, name. Unreadable counts as different.
bool is_as_recorded(Element& element, const ElementLocator& locator) {
  if (locator.control_type != 0) {
    auto type = element.cached_int(property::kControlType);
    if (!type) type = element.control_type();
    if (!type || type.value() != locator.control_type) return false;
  }
  if (!locator.name.empty()) {
    auto name = name_of(element);
    if (!name || name.value() != locator.name) return false;
  }
  return true;
}

// What resolution caches on the few elements its searches hand back: enough
// to match the locator, and what the callers read of the element they get
// (bounds for the preflight, the name, the password flag and the patterns
// offered for reading and pressing), so those reads and the attempts at
// missing patterns cost no round trips.
Result<CacheRequestPtr> resolution_request(Session& session) {
  namespace p = property;
  auto view = control_view_condition(session);
  if (!view) return std::move(view).take_error();
  return session.create_cache_request(
      CacheRequestSpec{{p::kRuntimeId, p::kAutomationId, p::kName, p::kControlType,
                        p::kBoundingRectangle, p::kIsPassword,
                        p::kIsInvokeAvailable, p::kIsToggleAvailable, p::kIsSelectionItemAvailable,
                        p::kIsExpandCollapseAvailable, p::kIsLegacyAccessibleAvailable,
                        p::kIsValueAvailable, p::kIsTextAvailable, p::kIsScrollAvailable},
                       CacheScope::Element,
                       view.value().get(),
                       ElementMode::Full});
}

// The first element of the subtree that meets the condition, or null. No
// match reads as a failure of code 0 (no element handed back), and a provider
// that cannot search that way fails likewise: both leave it to the next step.
// A timeout or a gone element ends resolution, since every further search
// would fail the same way.
Result<ElementPtr> search_first(Element& root, Condition& wanted, CacheRequest* request) {
  auto first = built_or_live(
      request, [&](CacheRequest& r) { return root.find_first_subtree_build_cache(wanted, r); },
      [&] { return root.find_first_subtree(wanted); });
  if (first) return first;
  if (!may_succeed_live(first.error())) return step_failure("FindFirst", first.error());
  return ElementPtr();
}

// The automation-id fast path: the first element with the id, taken when its
// runtime id (where one is recorded) and what the look saw agree.
Result<ElementPtr> find_by_automation_id(Session& session, Element& root,
                                         const ElementLocator& locator, CacheRequest* request) {
  auto condition = session.create_automation_id_condition(locator.automation_id);
  if (!condition) return ElementPtr();
  auto found = search_first(root, *condition.value(), request);
  if (!found || !found.value()) return found;
  Element& element = *found.value();
  if ((locator.runtime_id.empty() || runtime_id_matches(element, locator.runtime_id)) &&
      is_as_recorded(element, locator)) {
    return found;
  }
  return ElementPtr();
}

// The element that has the recorded runtime id, searched for by that id alone
// so that only it is fetched and cached, not every element of the window.
// Runtime ids can be reused over time: one now held by an element of another
// type or name means the located element is gone (`reused`).
Result<ElementPtr> find_by_runtime_id(Session& session, Element& root,
                                      const ElementLocator& locator, CacheRequest* request,
                                      bool& reused) {
  auto condition = session.create_runtime_id_condition(locator.runtime_id);
  if (!condition) return ElementPtr();
  auto found = search_first(root, *condition.value(), request);
  if (!found || !found.value()) return found;
  Element& element = *found.value();
  if (!runtime_id_matches(element, locator.runtime_id)) return ElementPtr();
  if (!is_as_recorded(element, locator)) {
    reused = true;
    return ElementPtr();
  }
  return found;
}

// Every element of the subtree in the control view, through `pick`, which
// answers whether the search is settled. Used where no id narrows the search.
template <typename Pick>
Status scan_subtree(Session& session, Element& root, CacheRequest* request, Pick pick) {
  auto condition = control_view_condition(session);
  if (!condition) return step_failure("CreatePropertyCondition", condition.error());
  Condition& every = *condition.value();
  auto all = built_or_live(
      request, [&](CacheRequest& r) { return root.find_all_subtree_build_cache(every, r); },
      [&] { return root.find_all_subtree(every); });
  if (!all) return step_failure("FindAll", all.error());
  auto length = all.value()->length();
  if (!length) return step_failure("ElementArray.Length", length.error());
  for (int i = 0; i < length.value(); ++i) {
    auto element = all.value()->element(i);
    if (!element) return step_failure("GetElement(" + std::to_string(i) + ")", element.error());
    if (pick(std::move(element).value())) break;
  }
  return Unit{};
}

// The elements with the automation id that are as the look saw them; a
// locator whose runtime id is gone resolves only when exactly one is, since
// among look-alike twins the first is as likely the wrong one as the right.
Result<ElementPtr> only_automation_id_match(Session& session, Element& root,
                                            const ElementLocator& locator,
                                            CacheRequest* request) {
  auto by_id = session.create_automation_id_condition(locator.automation_id);
  if (!by_id) return step_failure("CreatePropertyCondition", by_id.error());
  auto all = built_or_live(
      request,
      [&](CacheRequest& r) { return root.find_all_subtree_build_cache(*by_id.value(), r); },
      [&] { return root.find_all_subtree(*by_id.value()); });
  if (!all) return step_failure("FindAll", all.error());
  auto length = all.value()->length();
  if (!length) return step_failure("ElementArray.Length", length.error());
  ElementPtr candidate;
  for (int i = 0; i < length.value(); ++i) {
    auto element = all.value()->element(i);
    if (!element) return step_failure("GetElement(" + std::to_string(i) + ")", element.error());
    auto id = automation_id_of(*element.value());
    if (!id || id.value() != locator.automation_id || !is_as_recorded(*element.value(), locator)) {
      continue;
    }
    if (candidate) return stale_element();
    candidate = std::move(element).value();
  }
  if (!candidate) return stale_element();
  return candidate;
}

// A locator without ids: the first element whose runtime id reads as empty.
Result<ElementPtr> first_without_runtime_id(Session& session, Element& root,
                                            const ElementLocator& locator,
                                            CacheRequest* request) {
  ElementPtr found;
  auto scanned = scan_subtree(session, root, request, [&](ElementPtr element) {
    auto id = runtime_id_of(*element);
    if (!id || !id.value().empty() || !is_as_recorded(*element, locator)) return false;
    found = std::move(element);
    return true;
  });
  if (!scanned) return scanned.take_error();
  if (!found) return stale_element();
  return found;
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
bool has_ancestor(TreeWalker& walker, CacheRequest* request, const RuntimeId& wanted,
                  Element& start) {
  if (wanted.empty()) return false;
  ElementPtr current;
  for (int level = 0; level < kAncestorLevels; ++level) {
    auto parent = parent_of(walker, current ? *current : start, request);
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
  if (!session) return session.take_error();
  ResolvedElement resolved{std::move(session).value(), nullptr, nullptr};
  Session& s = *resolved.session;
  // Without a cache request every read below simply goes live.
  if (auto request = resolution_request(s)) resolved.request = std::move(request).value();
  CacheRequest* request = resolved.request.get();

  auto root = built_or_live(
      request,
      [&](CacheRequest& r) { return s.element_from_handle_build_cache(locator.window_handle, r); },
      [&] { return window_root(s, locator.window_handle); });
  if (!root) return root.take_error();
  if (runtime_id_matches(*root.value(), locator.runtime_id)) {
    if (!is_as_recorded(*root.value(), locator)) return stale_element();
    resolved.element = std::move(root).value();
    return resolved;
  }
  if (!locator.automation_id.empty()) {
    auto found = find_by_automation_id(s, *root.value(), locator, request);
    if (!found) return found.take_error();
    resolved.element = std::move(found).value();
    if (resolved.element) return resolved;
  }
  Result<ElementPtr> found = ElementPtr();
  if (!locator.runtime_id.empty()) {
    bool reused = false;
    found = find_by_runtime_id(s, *root.value(), locator, request, reused);
    if (!found) return found.take_error();
    if (reused) return stale_element();
  }
  if (!found.value()) {
    if (!locator.automation_id.empty()) {
      found = only_automation_id_match(s, *root.value(), locator, request);
    } else if (locator.runtime_id.empty()) {
      found = first_without_runtime_id(s, *root.value(), locator, request);
    } else {
      return stale_element();
    }
    if (!found) return found.take_error();
  }
  resolved.element = std::move(found).value();
  return resolved;
}

Result<bool> hit_test(UiaClient& client, const ElementLocator& locator, double x, double y) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  Session& session = *resolved->session;
  Element& target = *resolved->element;

  std::int32_t px = to_screen_coordinate(x);
  std::int32_t py = to_screen_coordinate(y);
  CacheRequest* request = resolved->request.get();
  auto hit = built_or_live(
      request, [&](CacheRequest& r) { return session.element_from_point_build_cache(px, py, r); },
      [&] { return session.element_from_point(px, py); });
  if (!hit) return step_failure("ElementFromPoint", hit.error());
  RuntimeId target_id = runtime_id_or_empty(target);
  RuntimeId hit_id = runtime_id_or_empty(*hit.value());
  if (!target_id.empty() && target_id == hit_id) return true;

  auto walker = session.control_view_walker();
  if (!walker) return step_failure("ControlViewWalker", walker.error());
  if (has_ancestor(*walker.value(), request, target_id, *hit.value())) return true;
  return has_ancestor(*walker.value(), request, hit_id, target);
}

Result<ElementBounds> element_bounds(UiaClient& client, const ElementLocator& locator) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  Element& element = *resolved->element;
  auto rect = bounding_rectangle_of(element);
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
