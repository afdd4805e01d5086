#include "uia/session.h"

#include <cstdio>

namespace winhelper::uia {

Result<SessionPtr> open_session(UiaClient& client) {
  OpenResult opened = client.open();
  if (opened.session) return std::move(opened.session);
  if (opened.failure.stage == OpenFailure::Stage::ComInitialize) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(opened.failure.code));
    return uia_failure(std::string("CoInitializeEx failed: ") + code);
  }
  return step_failure("CoCreateInstance IUIAutomation", opened.failure.platform_text);
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
  auto id = runtime_id_of(element);
  return id ? std::move(id).value() : RuntimeId{};
}

Result<RuntimeId> runtime_id_of(Element& element) {
  auto cached = element.cached_runtime_id();
  return cached ? std::move(cached) : element.runtime_id();
}

Result<std::string> automation_id_of(Element& element) {
  auto cached = element.cached_string(property::kAutomationId);
  return cached ? std::move(cached) : element.automation_id();
}

Result<ScreenRect> bounding_rectangle_of(Element& element) {
  auto cached = element.cached_bounding_rectangle();
  return cached ? std::move(cached) : element.bounding_rectangle();
}

Result<ElementPtr> parent_of(TreeWalker& walker, Element& element, CacheRequest* request) {
  if (request != nullptr) {
    if (auto parent = walker.parent_build_cache(element, *request)) return parent;
  }
  return walker.parent(element);
}

bool may_offer(Element& element, int availability_property) {
  auto available = element.cached_bool(availability_property);
  return !available || available.value();
}

}  // namespace winhelper::uia
