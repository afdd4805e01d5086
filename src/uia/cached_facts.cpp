#include "uia/cached_facts.h"

namespace winhelper::uia {
namespace {

template <typename T>
T value_or(Result<T> result, T fallback) {
  return result ? std::move(result).value() : std::move(fallback);
}

bool flag(Element& element, int property_id, bool fallback = false) {
  return value_or(element.cached_bool(property_id), fallback);
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
  f.name = value_or(element.cached_string(property::kName), std::string());
  f.automation_id = value_or(element.cached_string(property::kAutomationId), std::string());
  f.runtime_id = value_or(element.cached_runtime_id(), RuntimeId{});
  f.class_name = value_or(element.cached_string(property::kClassName), std::string());
  f.rect = rect.value();
  f.enabled = flag(element, property::kIsEnabled, true);
  f.keyboard_focusable = flag(element, property::kIsKeyboardFocusable);
  f.password = flag(element, property::kIsPassword);
  f.invoke = flag(element, property::kIsInvokeAvailable);
  f.toggle = flag(element, property::kIsToggleAvailable);
  f.selection_item = flag(element, property::kIsSelectionItemAvailable);
  f.expand_collapse = flag(element, property::kIsExpandCollapseAvailable);
  f.legacy_action = flag(element, property::kIsLegacyAccessibleAvailable) &&
                    is_meaningful_action(value_or(
                        element.cached_string(property::kLegacyDefaultAction), std::string()));
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
