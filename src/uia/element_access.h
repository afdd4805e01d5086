#pragma once
// Finding an element again from its locator, hit testing a screen point
// against it, and reading its current bounds. Each operation opens its own
// session on the calling thread.

#include "uia/element_locator.h"
#include "uia/uia_port.h"

namespace winhelper::uia {

// A resolved element together with the session that owns it and the cache
// request it was fetched with (null where caching was unavailable), which
// later reads may reuse. Declared in release order: the element first, the
// session last.
struct ResolvedElement {
  SessionPtr session;
  CacheRequestPtr request;
  ElementPtr element;
};

// The window's root element ("ElementFromHandle" on failure).
Result<ElementPtr> window_root(Session& session, std::int64_t window_handle);

// Root first, then the automation-id fast path (its first match, when the
// runtime id agrees), then a search by runtime id, then the one element with
// the automation id. Only an element of the locator's control type and name
// (where recorded) is taken; a runtime-id match of another type or name, two
// look-alikes with the automation id, or no match fail as stale. Only a
// locator with neither id scans the whole window.
Result<ResolvedElement> resolve_element(UiaClient& client, const ElementLocator& locator);

// True when the element at the point is the located element, one of its
// descendants or one of its ancestors (within 64 levels).
Result<bool> hit_test(UiaClient& client, const ElementLocator& locator, double x, double y);

struct ElementBounds {
  RuntimeId runtime_id;
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

Result<ElementBounds> element_bounds(UiaClient& client, const ElementLocator& locator);

}  // namespace winhelper::uia
