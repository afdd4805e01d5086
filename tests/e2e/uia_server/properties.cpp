// Property values by id, and which patterns each kind of element offers.

#include <vector>

#include "call_log.h"
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

template <typename T>
HRESULT set_array(VARIANT* out, VARTYPE type, const std::vector<T>& parts) {
  SAFEARRAY* array = SafeArrayCreateVector(type, 0, static_cast<ULONG>(parts.size()));
  if (array == nullptr) return E_OUTOFMEMORY;
  for (LONG i = 0; i < static_cast<LONG>(parts.size()); ++i) {
    T part = parts[static_cast<size_t>(i)];
    SafeArrayPutElement(array, &i, &part);
  }
  out->vt = VT_ARRAY | type;
  out->parray = array;
  return S_OK;
}

}  // namespace

std::wstring default_action(const Node& node) {
  if (!has_pattern(node, kLegacyIAccessible)) return L"";
  switch (kind_of(node)) {
    case Kind::PushButton:
      return L"Press";
    case Kind::CheckBox: {
      LRESULT check = 0;
      send(node.window, BM_GETCHECK, 0, 0, &check);
      return check == BST_CHECKED ? L"Uncheck" : L"Check";
    }
    case Kind::RadioButton:
      return L"Check";
    case Kind::ListItem:
      return L"Double Click";
    default:
      return L"";
  }
}

bool has_pattern(const Node& node, PATTERNID pattern) {
  Kind kind = kind_of(node);
  switch (pattern) {
    case kInvoke: return kind == Kind::PushButton;
    case kToggle: return kind == Kind::CheckBox;
    case kSelectionItem: return kind == Kind::ListItem;
    case kValue: return kind == Kind::Edit;
    case kText: return multi_line_edit(node) || text_fails(node);
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
    case 30000: {
      std::vector<int> id = runtime_id(node);
      return set_array(out, VT_I4, std::vector<LONG>(id.begin(), id.end()));
    }
    case 30001: {  // left, top, width, height
      RECT rect = bounds(node);
      return set_array(
          out, VT_R8,
          std::vector<double>{double(rect.left), double(rect.top), double(rect.right - rect.left),
                              double(rect.bottom - rect.top)});
    }
    case 30016:
      set_bool(out, control_element(node));
      break;
    case 30045:  // ValueValue
      if (!has_pattern(node, kValue)) break;
      if (password(node)) {
        count_password_value_read();
        return fail(E_ACCESSDENIED, L"A password field's value is not readable");
      }
      set_text(out, window_text(node.window));
      break;
    case 30046:
      set_bool(out, !has_pattern(node, kValue) || read_only_edit(node));
      break;
    case 30100:
      set_text(out, default_action(node));
      break;
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
