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
  auto id = element.runtime_id();
  return id ? std::move(id).value() : RuntimeId{};
}

}  // namespace winhelper::uia
