#pragma once
// Opening a UI Automation session and the texts shared by every operation.

#include <optional>
#include <string>

#include "uia/uia_port.h"

namespace winhelper::uia {

// Opens a session; an open failure means UI Automation is unavailable:
// "CoInitializeEx failed: 0x<8 lower-case hex digits>" or
// "CoCreateInstance IUIAutomation: <platform error text>".
// A session without the provider timeouts still opens, with the system's own
// limits (up to 20 s per call to a hung provider); the first such session of
// the process writes provider_bounds_warning's line to standard error.
Result<SessionPtr> open_session(UiaClient& client);

// "[uia] WARN provider timeouts not applied: <text>" with a line feed, or
// nothing when the timeouts apply.
std::optional<std::string> provider_bounds_warning(const ProviderBounds& bounds);

// The control view (IsControlElement true): the one view the walks, the
// cached reads and resolution see. It is UI Automation's default tree filter
// and the view of its control-view walker, and it is named explicitly in
// every search and cache request, so that no call falls back to another view.
Result<ConditionPtr> control_view_condition(Session& session);

// Decimal numbers joined by ".".
std::string runtime_id_text(const RuntimeId& id);

// The runtime id, or the empty list when it cannot be read.
RuntimeId runtime_id_or_empty(Element& element);

// Reads that take the element's cached value and go live only when the cache
// has none (not requested, no cache at all, or a failed read): the same
// value, one round trip fewer when the cache has it.
Result<RuntimeId> runtime_id_of(Element& element);
Result<std::string> automation_id_of(Element& element);
Result<std::string> name_of(Element& element);
Result<ScreenRect> bounding_rectangle_of(Element& element);

// Whether the element is a password field now, from the cache where it holds
// the property ("CurrentIsPassword" on failure). Callers treat a failure as a
// password field: such a field's value is never read.
Result<bool> is_password_field(Element& element);

// Whether a call that failed this way may still succeed live: not when the
// provider timed out or the element is gone, where the live call would only
// take as long again to fail the same way.
constexpr bool may_succeed_live(const UiaError& failure) {
  return failure.kind != UiaErrorKind::Timeout && failure.kind != UiaErrorKind::Unavailable;
}

// A call with the request's properties cached on what it hands back, where
// there is a request and the provider can cache; otherwise, or where that
// fails in a way the live call may not, the same call live.
template <typename Build, typename Live>
auto built_or_live(CacheRequest* request, Build build, Live live) -> decltype(live()) {
  if (request != nullptr) {
    auto built = build(*request);
    if (built || !may_succeed_live(built.error())) return built;
  }
  return live();
}

// The control-view parent, with the request's properties cached on it when
// the provider can cache; a failed cached climb is tried live, since it may
// mean either the end of the chain or a provider that cannot cache.
Result<ElementPtr> parent_of(TreeWalker& walker, Element& element, CacheRequest* request);

// False only when the element's cache says the pattern is unavailable, so a
// live attempt to get it would only come back empty.
bool may_offer(Element& element, int availability_property);

// The pattern, asked for live unless the cache says the element lacks it.
template <typename Pattern>
std::unique_ptr<Pattern> pattern_if(Element& element, int availability_property,
                                    std::unique_ptr<Pattern> (Element::*get)()) {
  if (!may_offer(element, availability_property)) return nullptr;
  return (element.*get)();
}

}  // namespace winhelper::uia
