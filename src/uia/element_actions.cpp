#include "uia/element_actions.h"

#include <cmath>

#include "common/text.h"
#include "uia/element_access.h"
#include "uia/session.h"

namespace winhelper::uia {
namespace {

bool is_blank(const std::string& text) {
  if (!is_valid_utf8(text)) return text.empty();
  return trim_unicode_whitespace(text).empty();
}

// Lets every pattern call through.
bool go_ahead() { return true; }

Result<PressResult> press(Element& element, const PatternCallStart& calling) {
  using Kind = PressResult::Kind;
  if (auto invoke = pattern_if(element, property::kIsInvokeAvailable, &Element::invoke_pattern)) {
    if (!calling()) return abandoned_action();
    auto done = invoke->invoke();
    if (!done) return step_failure("Invoke", done.error());
    return PressResult{Kind::Invoked, false};
  }
  if (auto toggle = pattern_if(element, property::kIsToggleAvailable, &Element::toggle_pattern)) {
    if (!calling()) return abandoned_action();
    auto done = toggle->toggle();
    if (!done) return step_failure("Toggle", done.error());
    auto state = toggle->toggle_state();
    return PressResult{Kind::Toggled, state && state.value() != kToggleStateOff};
  }
  if (auto selection = pattern_if(element, property::kIsSelectionItemAvailable,
                                  &Element::selection_item_pattern)) {
    if (!calling()) return abandoned_action();
    auto done = selection->select();
    if (!done) return step_failure("Select", done.error());
    auto selected = selection->is_selected();
    return PressResult{Kind::Selected, selected && selected.value()};
  }
  if (auto expand = pattern_if(element, property::kIsExpandCollapseAvailable,
                               &Element::expand_collapse_pattern)) {
    if (!calling()) return abandoned_action();
    auto done = expand->expand();
    if (!done) return step_failure("Expand", done.error());
    return PressResult{Kind::Expanded, false};
  }
  if (auto legacy = pattern_if(element, property::kIsLegacyAccessibleAvailable,
                               &Element::legacy_accessible_pattern)) {
    auto action = legacy->default_action();
    if (action && !is_blank(action.value())) {
      if (!calling()) return abandoned_action();
      auto done = legacy->do_default_action();
      if (!done) return step_failure("DoDefaultAction", done.error());
      return PressResult{Kind::DefaultAction, false};
    }
  }
  return PressResult{Kind::NoSupportedPattern, false};
}

}  // namespace

Status focus_element(UiaClient& client, const ElementLocator& locator) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  auto done = resolved->element->set_focus();
  if (!done) return step_failure("SetFocus", done.error());
  return ok_status();
}

Result<PressResult> press_element(UiaClient& client, const ElementLocator& locator,
                                  const PatternCallStart& calling) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  return press(*resolved->element, calling);
}

Result<PressResult> press_element(UiaClient& client, const ElementLocator& locator) {
  return press_element(client, locator, go_ahead);
}

Result<PressResult> press_element_within(UiaClient& client, const ElementLocator& locator,
                                         GracePeriods periods) {
  auto pressed = run_with_grace<PressResult>(
      [&client, locator](const PatternCallStart& calling) {
        return press_element(client, locator, calling);
      },
      periods);
  if (!pressed) return std::move(pressed).take_error();
  if (!pressed->has_value()) return PressResult{PressResult::Kind::Pending, false};
  return **pressed;
}

ScrollAmount scroll_amount(double delta) {
  if (delta > 0) return ScrollAmount::SmallIncrement;
  if (delta < 0) return ScrollAmount::SmallDecrement;
  return ScrollAmount::NoAmount;
}

Result<ScrollResult> scroll_element(UiaClient& client, const ElementLocator& locator,
                                    double horizontal_delta, double vertical_delta) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  auto pattern =
      pattern_if(*resolved->element, property::kIsScrollAvailable, &Element::scroll_pattern);
  if (!pattern) return ScrollResult::NoScrollPattern;
  auto done = pattern->scroll(scroll_amount(horizontal_delta), scroll_amount(vertical_delta));
  if (!done) return step_failure("Scroll", done.error());
  return ScrollResult::Scrolled;
}

Result<std::optional<ValueWrite>> set_element_value(UiaClient& client,
                                                    const ElementLocator& locator,
                                                    const std::string& text,
                                                    const PatternCallStart& calling) {
  auto resolved = resolve_element(client, locator);
  if (!resolved) return std::move(resolved).take_error();
  auto pattern =
      pattern_if(*resolved->element, property::kIsValueAvailable, &Element::value_pattern);
  if (!pattern) return std::optional<ValueWrite>();
  auto password = is_password_field(*resolved->element);
  if (!calling()) return abandoned_action();
  auto done = pattern->set_value(text);
  if (!done) return step_failure("SetValue", done.error());
  if (!password || password.value()) return std::optional<ValueWrite>(ValueWrite{});
  return std::optional<ValueWrite>(ValueWrite{pattern->value().value_or(std::string())});
}

Result<std::optional<ValueWrite>> set_element_value(UiaClient& client,
                                                    const ElementLocator& locator,
                                                    const std::string& text) {
  return set_element_value(client, locator, text, go_ahead);
}

Result<std::optional<std::optional<ValueWrite>>> set_element_value_within(
    UiaClient& client, const ElementLocator& locator, const std::string& text,
    GracePeriods periods) {
  return run_with_grace<std::optional<ValueWrite>>(
      [&client, locator, text](const PatternCallStart& calling) {
        return set_element_value(client, locator, text, calling);
      },
      periods);
}

}  // namespace winhelper::uia
