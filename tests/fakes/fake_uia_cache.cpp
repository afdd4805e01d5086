#include "fakes/fake_uia_cache.h"

namespace winhelper::fakes {
namespace {

template <typename T>
std::optional<FakeValue> as_value(const std::optional<T>& value) {
  if (!value) return std::nullopt;
  return FakeValue(*value);
}

// The elements the filter's view puts directly below `element`: children that
// match, and in place of each one that does not, its own view children.
void view_children(FakeUia& uia, const FakeElement& element, const FakeMatch& filter,
                   std::vector<FakeElement*>& out) {
  for (FakeElement* child : element.children) {
    if (filter(uia, *child)) {
      out.push_back(child);
    } else {
      view_children(uia, *child, filter, out);
    }
  }
}

}  // namespace

std::optional<FakeValue> fake_property(FakeUia& uia, const FakeElement& e, int id) {
  namespace p = uia::property;
  uia.count_provider_read(id);
  switch (id) {
    case p::kRuntimeId:
      return as_value(e.runtime_id);
    case p::kBoundingRectangle:
      if (e.failures.count("CurrentBoundingRectangle") != 0) return std::nullopt;
      return as_value(e.rect);
    case p::kControlType:
      return as_value(e.control_type);
    case p::kName:
      return as_value(e.name);
    case p::kIsKeyboardFocusable:
      return as_value(e.keyboard_focusable);
    case p::kIsEnabled:
      return as_value(e.enabled);
    case p::kAutomationId:
      return as_value(e.automation_id);
    case p::kClassName:
      return as_value(e.class_name);
    case p::kIsControlElement:
      return as_value(e.control_element);
    case p::kIsPassword:
      return as_value(e.password);
    case p::kIsOffscreen:
      return as_value(e.offscreen);
    case p::kValueValue:
      if (!e.value_pattern) return FakeValue(std::string());
      if (e.password.value_or(false)) uia.count_password_value_read();
      return as_value(e.value);
    case p::kValueIsReadOnly:
      return e.value_pattern ? as_value(e.read_only) : FakeValue(true);
    case p::kLegacyDefaultAction:
      return e.legacy ? as_value(e.default_action) : FakeValue(std::string());
    case p::kIsInvokeAvailable:
      return e.invoke;
    case p::kIsToggleAvailable:
      return e.toggle;
    case p::kIsSelectionItemAvailable:
      return e.selection_item;
    case p::kIsExpandCollapseAvailable:
      return e.expand_collapse;
    case p::kIsLegacyAccessibleAvailable:
      return e.legacy;
    case p::kIsValueAvailable:
      return e.value_pattern;
    case p::kIsTextAvailable:
      return e.text_pattern;
    case p::kIsScrollAvailable:
      return e.scroll;
    default:
      return std::nullopt;
  }
}

std::shared_ptr<const Snapshot> take_snapshot(FakeUia& uia, FakeElement& element,
                                              const FakeRequestSpec& spec, bool below) {
  constexpr int kElement = 1;
  constexpr int kChildren = 2;
  constexpr int kDescendants = 4;
  auto snapshot = std::make_shared<Snapshot>();
  snapshot->full_mode = spec.full_mode;
  if (below || (spec.scope & kElement) != 0) {
    for (int id : spec.properties) snapshot->properties[id] = fake_property(uia, element, id);
  }
  bool children =
      below ? (spec.scope & kDescendants) != 0 : (spec.scope & (kChildren | kDescendants)) != 0;
  if (children) {
    snapshot->children_cached = true;
    std::vector<FakeElement*> in_view;
    view_children(uia, element, spec.filter, in_view);
    for (FakeElement* child : in_view) {
      snapshot->children.emplace_back(child, take_snapshot(uia, *child, spec, true));
    }
  }
  return snapshot;
}

}  // namespace winhelper::fakes
