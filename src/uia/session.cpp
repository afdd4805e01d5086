#include "uia/session.h"

#include <atomic>
#include <cstdio>

namespace winhelper::uia {

std::optional<std::string> provider_bounds_warning(const ProviderBounds& bounds) {
  if (bounds.timeouts_offered && bounds.failure.empty()) return std::nullopt;
  return "[uia] WARN provider timeouts not applied: " + bounds.failure + "\n";
}

Result<SessionPtr> open_session(UiaClient& client) {
  OpenResult opened = client.open();
  if (opened.session) {
    static std::atomic<bool> warned{false};
    if (auto line = provider_bounds_warning(opened.bounds); line && !warned.exchange(true)) {
      std::fputs(line->c_str(), stderr);
      std::fflush(stderr);
    }
    return std::move(opened.session);
  }
  if (opened.failure.stage == OpenFailure::Stage::ComInitialize) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(opened.failure.code));
    return UiaError{UiaErrorKind::Unavailable, std::string("CoInitializeEx failed: ") + code};
  }
  return UiaError{UiaErrorKind::Unavailable,
                  "CoCreateInstance IUIAutomation: " + opened.failure.platform_text};
}

Result<ConditionPtr> control_view_condition(Session& session) {
  return session.create_bool_condition(property::kIsControlElement, true);
}

std::string runtime_id_text(const RuntimeId& id) {
  std::string text;
  for (std::size_t i = 0; i < id.size(); ++i) {
    if (i != 0) text += '.';
    text += std::to_string(id[i]);
  }
  return text;
}

RuntimeId runtime_id_or_empty(Element& element) {
  return runtime_id_of(element).value_or(RuntimeId{});
}

namespace {

template <typename T, typename Live>
Result<T> cached_or_live(Result<T> cached, Live live) {
  return cached ? std::move(cached) : live();
}

}  // namespace

Result<RuntimeId> runtime_id_of(Element& element) {
  return cached_or_live(element.cached_runtime_id(), [&] { return element.runtime_id(); });
}

Result<std::string> automation_id_of(Element& element) {
  return cached_or_live(element.cached_string(property::kAutomationId),
                        [&] { return element.automation_id(); });
}

Result<std::string> name_of(Element& element) {
  return cached_or_live(element.cached_string(property::kName), [&] { return element.name(); });
}

Result<ScreenRect> bounding_rectangle_of(Element& element) {
  return cached_or_live(element.cached_bounding_rectangle(),
                        [&] { return element.bounding_rectangle(); });
}

Result<bool> is_password_field(Element& element) {
  auto cached = element.cached_bool(property::kIsPassword);
  if (cached) return cached;
  auto live = element.is_password();
  if (!live) return step_failure("CurrentIsPassword", live.error());
  return live;
}

Result<ElementPtr> parent_of(TreeWalker& walker, Element& element, CacheRequest* request) {
  return built_or_live(
      request, [&](CacheRequest& r) { return walker.parent_build_cache(element, r); },
      [&] { return walker.parent(element); });
}

bool may_offer(Element& element, int availability_property) {
  auto available = element.cached_bool(availability_property);
  return !available || available.value();
}

}  // namespace winhelper::uia
