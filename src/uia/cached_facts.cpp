#include "uia/cached_facts.h"

namespace winhelper::uia {
namespace {

bool flag(Element& element, int property_id, bool fallback = false) {
  return element.cached_bool(property_id).value_or(fallback);
}

}  // namespace

std::vector<int> fact_properties() {
  namespace p = property;
  return {p::kRuntimeId,
          p::kIsControlElement,
          p::kControlType,
          p::kName,
          p::kAutomationId,
          p::kClassName,
          p::kBoundingRectangle,
          p::kIsOffscreen,
          p::kIsEnabled,
          p::kIsKeyboardFocusable,
          p::kIsPassword,
          p::kIsInvokeAvailable,
          p::kIsToggleAvailable,
          p::kIsSelectionItemAvailable,
          p::kIsExpandCollapseAvailable,
          p::kIsLegacyAccessibleAvailable,
          p::kLegacyDefaultAction,
          p::kIsValueAvailable,
          p::kValueIsReadOnly,
          p::kIsTextAvailable,
          p::kIsScrollAvailable};
}

std::optional<ElementFacts> cached_facts(Element& element) {
  auto control_type = element.cached_int(property::kControlType);
  if (!control_type) return std::nullopt;
  auto rect = element.cached_bounding_rectangle();
  if (!rect || !has_extent(rect.value())) return std::nullopt;
  auto offscreen = element.cached_bool(property::kIsOffscreen);
  if (!offscreen || offscreen.value()) return std::nullopt;

  ElementFacts f;
  f.control_type = control_type.value();
  f.name = element.cached_string(property::kName).value_or(std::string());
  f.automation_id = element.cached_string(property::kAutomationId).value_or(std::string());
  f.runtime_id = element.cached_runtime_id().value_or(RuntimeId{});
  f.class_name = element.cached_string(property::kClassName).value_or(std::string());
  f.rect = rect.value();
  f.enabled = flag(element, property::kIsEnabled, true);
  f.keyboard_focusable = flag(element, property::kIsKeyboardFocusable);
  f.password = flag(element, property::kIsPassword);
  f.invoke = flag(element, property::kIsInvokeAvailable);
  f.toggle = flag(element, property::kIsToggleAvailable);
  f.selection_item = flag(element, property::kIsSelectionItemAvailable);
  f.expand_collapse = flag(element, property::kIsExpandCollapseAvailable);
  f.legacy_action = flag(element, property::kIsLegacyAccessibleAvailable) &&
                    is_meaningful_action(element.cached_string(property::kLegacyDefaultAction)
                                             .value_or(std::string()));
  f.value_available = flag(element, property::kIsValueAvailable);
  f.read_only = f.value_available && flag(element, property::kValueIsReadOnly);
  f.text_available = flag(element, property::kIsTextAvailable);
  f.scroll = flag(element, property::kIsScrollAvailable);
  return f;
}

bool value_wanted(Element& element, bool& readable_not_password) {
  auto password = element.cached_bool(property::kIsPassword);
  readable_not_password = password && !password.value();
  if (password && password.value()) return false;
  return flag(element, property::kIsValueAvailable);
}

}  // namespace winhelper::uia
