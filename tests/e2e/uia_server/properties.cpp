// Property values by id, and which patterns each kind of element offers.

#include "com_object.h"
#include "server_objects.h"

namespace uia_server {
namespace {

enum : PATTERNID {
  kInvoke = 10000,
  kValue = 10002,
  kScroll = 10004,
  kExpandCollapse = 10005,
  kSelectionItem = 10010,
  kText = 10014,
  kToggle = 10015,
  kLegacyIAccessible = 10018,
};

// The "Is<Pattern>PatternAvailable" property of each pattern.
struct Availability {
  PROPERTYID property;
  PATTERNID pattern;
};
constexpr Availability kAvailability[] = {
    {30028, kExpandCollapse}, {30031, kInvoke}, {30034, kScroll}, {30036, kSelectionItem},
    {30040, kText},           {30041, kToggle}, {30043, kValue},  {30090, kLegacyIAccessible},
};

void set_bool(VARIANT* out, bool value) {
  out->vt = VT_BOOL;
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void set_text(VARIANT* out, const std::wstring& text) {
  out->vt = VT_BSTR;
  out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace

bool has_pattern(const Node& node, PATTERNID pattern) {
  Kind kind = kind_of(node);
  switch (pattern) {
    case kInvoke: return kind == Kind::PushButton;
    case kToggle: return kind == Kind::CheckBox;
    case kSelectionItem: return kind == Kind::ListItem;
    case kValue: return kind == Kind::Edit;
    case kText: return multi_line_edit(node);
    case kScroll: return scrollable(node);
    case kLegacyIAccessible: return kind != Kind::Desktop;
    default: return false;
  }
}

HRESULT property_value(const Node& node, PROPERTYID property, VARIANT* out) {
  VariantInit(out);
  for (const Availability& entry : kAvailability) {
    if (entry.property == property) {
      set_bool(out, has_pattern(node, entry.pattern));
      return S_OK;
    }
  }
  switch (property) {
    case 30003:
      out->vt = VT_I4;
      out->lVal = control_type_id(kind_of(node));
      break;
    case 30005: set_text(out, name(node)); break;
    case 30008: set_bool(out, GetFocus() == node.window); break;
    case 30009: set_bool(out, keyboard_focusable(node)); break;
    case 30010: set_bool(out, enabled(node)); break;
    case 30011: set_text(out, automation_id(node)); break;
    case 30012: set_text(out, class_name(node)); break;
    case 30019: set_bool(out, password(node)); break;
    case 30020:
      out->vt = VT_I4;
      out->lVal = node.is_item() ? 0 : static_cast<LONG>(reinterpret_cast<INT_PTR>(node.window));
      break;
    case 30022: set_bool(out, offscreen(node)); break;
    default: break;  // not served: VT_EMPTY
  }
  return S_OK;
}

}  // namespace uia_server
