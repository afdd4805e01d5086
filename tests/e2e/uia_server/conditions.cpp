// Conditions: the true condition and property conditions compared against the live value.

#include <string>

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

  std::atomic<ULONG> refs_{1};
  PROPERTYID property_ = 0;  // 0: the true condition
  VARIANT value_{};
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
  if (value.vt != VT_BSTR && value.vt != VT_I4 && value.vt != VT_BOOL) {
    return fail(E_INVALIDARG, L"Property conditions compare strings, integers and booleans only");
  }
  if (property == 0) return fail(E_INVALIDARG, L"Property id 0 is not a property");
  *out = new Condition(property, value);
  return S_OK;
}

bool matches(IUIAutomationCondition* condition, const Node& node) {
  Condition* ours = server_condition(condition);
  return ours != nullptr && ours->matches(node);
}

bool is_server_condition(IUIAutomationCondition* condition) {
  return server_condition(condition) != nullptr;
}

}  // namespace uia_server
