// Conditions: the true condition, property conditions compared against the live value, and
// and/or conditions over them.

#include <map>
#include <string>
#include <vector>

#include "com_object.h"
#include "iids.h"
#include "server_objects.h"

namespace uia_server {
namespace {

constexpr IID kIidServerCondition = {
    0x7c1e2b94, 0x3d55, 0x4a0f, {0x8e, 0x61, 0x2f, 0x90, 0xa4, 0x13, 0xc7, 0x28}};

std::vector<LONG> ints(SAFEARRAY* array) {
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

// One element's property values for one evaluation of a condition, each read once however
// many parts of the condition name it: an OR of two hundred runtime ids is one runtime-id
// read per element, so that the server's own bookkeeping does not weigh in the figures as
// if it were the helper's.
class Values {
 public:
  struct Read {
    bool ok = false;
    VARIANT value{};
    std::vector<LONG> ints;  // an integer array's parts
  };
  explicit Values(const Node& node) : node_(node) {}
  Values(const Values&) = delete;
  Values& operator=(const Values&) = delete;
  ~Values() {
    for (auto& entry : reads_) VariantClear(&entry.second.value);
  }
  const Read& of(PROPERTYID property) {
    auto found = reads_.find(property);
    if (found != reads_.end()) return found->second;
    Read& read = reads_[property];
    VariantInit(&read.value);
    read.ok = SUCCEEDED(property_value(node_, property, &read.value));
    if (read.ok && read.value.vt == (VT_ARRAY | VT_I4)) read.ints = ints(read.value.parray);
    return read;
  }

 private:
  const Node& node_;
  std::map<PROPERTYID, Read> reads_;
};

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// IUIAutomationCondition declares no methods of its own; it is never counted.
class Condition final : public IUIAutomationCondition {
 public:
  Condition() { object_created(ObjectKind::Condition); }
  Condition(PROPERTYID property, const VARIANT& value) : Condition() {
    property_ = property;
    VariantInit(&value_);
    VariantCopy(&value_, const_cast<VARIANT*>(&value));
    if (value_.vt == (VT_ARRAY | VT_I4)) value_ints_ = ints(value_.parray);
  }
  // All (and) or any (or) of the parts.
  Condition(bool all, std::vector<Ref<Condition>> parts) : Condition() {
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

  // Parts are tried in order and the first that settles the answer ends it.
  bool matches(Values& values) const {
    if (!parts_.empty()) {
      for (const auto& part : parts_) {
        if (part->matches(values) != all_) return !all_;
      }
      return all_;
    }
    if (property_ == 0) return true;
    const Values::Read& actual = values.of(property_);
    if (!actual.ok || actual.value.vt != value_.vt) return false;
    switch (value_.vt) {
      case VT_BSTR: {
        std::wstring want(value_.bstrVal ? value_.bstrVal : L"", SysStringLen(value_.bstrVal));
        std::wstring have(actual.value.bstrVal ? actual.value.bstrVal : L"",
                          SysStringLen(actual.value.bstrVal));
        return want == have;
      }
      case VT_I4: return value_.lVal == actual.value.lVal;
      case VT_ARRAY | VT_I4: return value_ints_ == actual.ints;
      case VT_BOOL:
        return (value_.boolVal != VARIANT_FALSE) == (actual.value.boolVal != VARIANT_FALSE);
      default: return false;
    }
  }

 private:
  ~Condition() {
    if (property_ != 0) VariantClear(&value_);
    object_destroyed(ObjectKind::Condition);
  }

  std::atomic<ULONG> refs_{1};
  PROPERTYID property_ = 0;  // 0 without parts: the true condition
  VARIANT value_{};
  std::vector<LONG> value_ints_;
  bool all_ = true;
  std::vector<Ref<Condition>> parts_;
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

IUIAutomationCondition* make_control_view_condition() {
  VARIANT yes;
  VariantInit(&yes);
  yes.vt = VT_BOOL;
  yes.boolVal = VARIANT_TRUE;
  return new Condition(30016, yes);
}

bool in_view(IUIAutomationCondition* filter, const Node& node) {
  return filter == nullptr ? control_element(node) : matches(filter, node);
}

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
  std::vector<Ref<Condition>> owned;
  for (int i = 0; i < count; ++i) {
    Condition* part = server_condition(parts[i]);
    if (part == nullptr) {
      return fail(E_INVALIDARG, L"The condition does not come from this automation object");
    }
    part->AddRef();
    owned.emplace_back(part);
  }
  *out = new Condition(all, std::move(owned));
  return S_OK;
}

HRESULT make_and_condition(IUIAutomationCondition* first, IUIAutomationCondition* second,
                           IUIAutomationCondition** out) {
  IUIAutomationCondition* parts[] = {first, second};
  return make_composite(true, parts, 2, out);
}

// IUIAutomation::CreateOrConditionFromNativeArray combines "two or more" conditions; fewer
// is refused.
HRESULT make_or_condition(IUIAutomationCondition** conditions, int count,
                          IUIAutomationCondition** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (count < 2) return fail(E_INVALIDARG, L"An or condition needs two conditions or more");
  return make_composite(false, conditions, count, out);
}

bool matches(IUIAutomationCondition* condition, const Node& node) {
  Condition* ours = server_condition(condition);
  if (ours == nullptr) return false;
  Values values(node);
  return ours->matches(values);
}

bool is_server_condition(IUIAutomationCondition* condition) {
  return server_condition(condition) != nullptr;
}

}  // namespace uia_server
