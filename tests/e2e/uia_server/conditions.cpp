// Conditions: the true condition, property conditions compared against the live value, and
// and/or conditions over them.

#include <string>
#include <vector>

#include "com_object.h"
#include "iids.h"
#include "server_objects.h"

namespace uia_server {
namespace {

constexpr IID kIidServerCondition = {
    0x7c1e2b94, 0x3d55, 0x4a0f, {0x8e, 0x61, 0x2f, 0x90, 0xa4, 0x13, 0xc7, 0x28}};

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// IUIAutomationCondition declares no methods of its own; it is never counted.
class Condition final : public IUIAutomationCondition {
 public:
  Condition() { ++live_objects(); }
  Condition(PROPERTYID property, const VARIANT& value) : Condition() {
    property_ = property;
    VariantInit(&value_);
    VariantCopy(&value_, const_cast<VARIANT*>(&value));
  }
  // All (and) or any (or) of the parts.
  Condition(bool all, std::vector<Ref<IUIAutomationCondition>> parts) : Condition() {
    all_ = all;
    parts_ = std::move(parts);
  }
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, kIidServerCondition)) {
      *out = this;
    } else if (IsEqualIID(riid, IID_IUnknown) ||
               IsEqualIID(riid, iid::kCondition)) {
      *out = static_cast<IUIAutomationCondition*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  bool matches(const Node& node) const {
    if (!parts_.empty()) {
      for (const auto& part : parts_) {
        if (uia_server::matches(part.get(), node) != all_) return !all_;
      }
      return all_;
    }
    if (property_ == 0) return true;
    VARIANT actual;
    VariantInit(&actual);
    bool same = false;
    if (SUCCEEDED(property_value(node, property_, &actual)) && actual.vt == value_.vt) {
      switch (value_.vt) {
        case VT_BSTR: {
          std::wstring want(value_.bstrVal ? value_.bstrVal : L"", SysStringLen(value_.bstrVal));
          std::wstring have(actual.bstrVal ? actual.bstrVal : L"", SysStringLen(actual.bstrVal));
          same = want == have;
          break;
        }
        case VT_I4: same = value_.lVal == actual.lVal; break;
        case VT_ARRAY | VT_I4:
          same = same_ints(value_.parray, actual.parray);
          break;
        case VT_BOOL: same = (value_.boolVal != VARIANT_FALSE) == (actual.boolVal != VARIANT_FALSE); break;
        default: break;
      }
    }
    VariantClear(&actual);
    return same;
  }

 private:
  ~Condition() {
    if (property_ != 0) VariantClear(&value_);
    --live_objects();
  }

  static std::vector<LONG> ints(SAFEARRAY* array) {
    std::vector<LONG> out;
    LONG lower = 0;
    LONG upper = -1;
    if (array == nullptr || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper))) {
      return out;
    }
    for (LONG i = lower; i <= upper; ++i) {
      LONG part = 0;
      SafeArrayGetElement(array, &i, &part);
      out.push_back(part);
    }
    return out;
  }
  static bool same_ints(SAFEARRAY* a, SAFEARRAY* b) { return ints(a) == ints(b); }

  std::atomic<ULONG> refs_{1};
  PROPERTYID property_ = 0;  // 0 without parts: the true condition
  VARIANT value_{};
  bool all_ = true;
  std::vector<Ref<IUIAutomationCondition>> parts_;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

Condition* server_condition(IUIAutomationCondition* condition) {
  if (condition == nullptr) return nullptr;
  void* raw = nullptr;
  if (FAILED(condition->QueryInterface(kIidServerCondition, &raw)) || raw == nullptr) {
    return nullptr;
  }
  auto* ours = static_cast<Condition*>(raw);
  ours->Release();  // the caller still holds the condition
  return ours;
}

}  // namespace

IUIAutomationCondition* make_true_condition() { return new Condition(); }

HRESULT make_property_condition(PROPERTYID property, const VARIANT& value,
                                IUIAutomationCondition** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (value.vt != VT_BSTR && value.vt != VT_I4 && value.vt != VT_BOOL &&
      value.vt != (VT_ARRAY | VT_I4)) {
    return fail(E_INVALIDARG,
                L"Property conditions compare strings, integers, booleans and integer arrays only");
  }
  if (property == 0) return fail(E_INVALIDARG, L"Property id 0 is not a property");
  *out = new Condition(property, value);
  return S_OK;
}

// A composite of this server's conditions (all of them for and, any for or).
static HRESULT make_composite(bool all, IUIAutomationCondition** parts, int count,
                              IUIAutomationCondition** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (parts == nullptr || count <= 0) return fail(E_INVALIDARG, L"A composite needs conditions");
  std::vector<Ref<IUIAutomationCondition>> owned;
  for (int i = 0; i < count; ++i) {
    if (!is_server_condition(parts[i])) {
      return fail(E_INVALIDARG, L"The condition does not come from this automation object");
    }
    parts[i]->AddRef();
    owned.emplace_back(parts[i]);
  }
  *out = new Condition(all, std::move(owned));
  return S_OK;
}

HRESULT make_and_condition(IUIAutomationCondition* first, IUIAutomationCondition* second,
                           IUIAutomationCondition** out) {
  IUIAutomationCondition* parts[] = {first, second};
  return make_composite(true, parts, 2, out);
}

HRESULT make_or_condition(IUIAutomationCondition** conditions, int count,
                          IUIAutomationCondition** out) {
  return make_composite(false, conditions, count, out);
}

bool matches(IUIAutomationCondition* condition, const Node& node) {
  Condition* ours = server_condition(condition);
  return ours != nullptr && ours->matches(node);
}

bool is_server_condition(IUIAutomationCondition* condition) {
  return server_condition(condition) != nullptr;
}

}  // namespace uia_server
