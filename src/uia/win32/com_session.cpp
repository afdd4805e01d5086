#include "uia/win32/com_uia_client.h"

#include "common/win32/com_owners.h"
#include "common/win32/platform_error_win32.h"
#include "common/win32/unique_handle.h"
#include "uia/provider_timeouts.h"
#include "uia/win32/com_calls.h"
#include "uia/win32/com_conditions.h"
#include "uia/win32/com_element.h"
#include "uia/win32/uia_sdk.h"

namespace winhelper::uia {
namespace {

using namespace detail;

class ComTreeWalker final : public TreeWalker {
 public:
  explicit ComTreeWalker(ComPtr<IUIAutomationTreeWalker> w) : w_(std::move(w)) {}
  Result<ElementPtr> parent(Element& element) override {
    ComPtr<IUIAutomationElement> parent;
    HRESULT hr = w_->GetParentElement(static_cast<ComElement&>(element).raw(), parent.put());
    return element_result(hr, std::move(parent));
  }
  Result<ElementPtr> parent_build_cache(Element& element, CacheRequest& request) override {
    ComPtr<IUIAutomationElement> parent;
    HRESULT hr = w_->GetParentElementBuildCache(static_cast<ComElement&>(element).raw(),
                                                com_request(request), parent.put());
    return element_result(hr, std::move(parent));
  }

 private:
  ComPtr<IUIAutomationTreeWalker> w_;
};

// Declared in this order so that the automation object is released before
// the apartment is left.
class ComSession final : public Session {
 public:
  ComSession(win32::UniqueCoUninitialize apartment, ComPtr<IUIAutomation> automation)
      : apartment_(std::move(apartment)), automation_(std::move(automation)) {}

  Result<ElementPtr> element_from_handle(std::int64_t window_handle) override {
    ComPtr<IUIAutomationElement> root;
    HRESULT hr = automation_->ElementFromHandle(
        reinterpret_cast<UIA_HWND>(static_cast<INT_PTR>(window_handle)), root.put());
    return element_result(hr, std::move(root));
  }
  Result<ElementPtr> element_from_point(std::int32_t x, std::int32_t y) override {
    ComPtr<IUIAutomationElement> hit;
    HRESULT hr = automation_->ElementFromPoint(POINT{x, y}, hit.put());
    return element_result(hr, std::move(hit));
  }
  Result<std::unique_ptr<TreeWalker>> control_view_walker() override {
    ComPtr<IUIAutomationTreeWalker> walker;
    RETURN_IF_FAILED(automation_->get_ControlViewWalker(walker.put()));
    if (!walker) return null_failure();
    return std::unique_ptr<TreeWalker>(std::make_unique<ComTreeWalker>(std::move(walker)));
  }
  Result<ConditionPtr> create_true_condition() override {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateTrueCondition(condition->condition.put());
    return condition_result(hr, std::move(condition));
  }
  Result<ConditionPtr> create_automation_id_condition(const std::string& automation_id) override {
    Variant value;
    UniqueBstr text = to_bstr(automation_id);
    value.get().vt = VT_BSTR;
    // The variant takes the string over and frees it.
    value.get().bstrVal = text.release();
    return property_condition(sdk::kAutomationIdPropertyId, value);
  }
  Result<ConditionPtr> create_runtime_id_condition(const RuntimeId& runtime_id) override {
    Variant value;
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(runtime_id.size()));
    if (array == nullptr) return com_failure(E_OUTOFMEMORY);
    value.get().vt = VT_ARRAY | VT_I4;
    value.get().parray = array;  // the variant frees it
    for (LONG i = 0; i < static_cast<LONG>(runtime_id.size()); ++i) {
      LONG part = runtime_id[static_cast<std::size_t>(i)];
      RETURN_IF_FAILED(SafeArrayPutElement(array, &i, &part));
    }
    return property_condition(UIA_RuntimeIdPropertyId, value);
  }
  Result<ConditionPtr> create_bool_condition(int property_id, bool flag) override {
    Variant value;
    value.get().vt = VT_BOOL;
    value.get().boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return property_condition(static_cast<PROPERTYID>(property_id), value);
  }
  Result<ConditionPtr> create_and_condition(Condition& first, Condition& second) override {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateAndCondition(com_condition(first), com_condition(second),
                                                 condition->condition.put());
    return condition_result(hr, std::move(condition));
  }
  Result<ConditionPtr> create_or_condition(const std::vector<Condition*>& conditions) override {
    std::vector<IUIAutomationCondition*> raws;
    for (Condition* c : conditions) raws.push_back(com_condition(*c));
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr = automation_->CreateOrConditionFromNativeArray(
        raws.data(), static_cast<int>(raws.size()), condition->condition.put());
    return condition_result(hr, std::move(condition));
  }
  Result<CacheRequestPtr> create_cache_request(const CacheRequestSpec& spec) override {
    auto request = std::make_unique<ComCacheRequest>();
    RETURN_IF_FAILED(automation_->CreateCacheRequest(request->request.put()));
    if (!request->request) return null_failure();
    IUIAutomationCacheRequest* r = request->request.get();
    for (int id : spec.properties) RETURN_IF_FAILED(r->AddProperty(static_cast<PROPERTYID>(id)));
    RETURN_IF_FAILED(r->put_TreeScope(static_cast<::TreeScope>(spec.scope)));
    if (spec.tree_filter != nullptr) {
      RETURN_IF_FAILED(r->put_TreeFilter(com_condition(*spec.tree_filter)));
    }
    auto mode =
        spec.mode == ElementMode::None ? AutomationElementMode_None : AutomationElementMode_Full;
    RETURN_IF_FAILED(r->put_AutomationElementMode(mode));
    return CacheRequestPtr(std::move(request));
  }
  Result<ElementPtr> element_from_handle_build_cache(std::int64_t window_handle,
                                                     CacheRequest& request) override {
    ComPtr<IUIAutomationElement> root;
    HRESULT hr = automation_->ElementFromHandleBuildCache(
        reinterpret_cast<UIA_HWND>(static_cast<INT_PTR>(window_handle)), com_request(request),
        root.put());
    return element_result(hr, std::move(root));
  }
  Result<ElementPtr> element_from_point_build_cache(std::int32_t x, std::int32_t y,
                                                    CacheRequest& request) override {
    ComPtr<IUIAutomationElement> hit;
    HRESULT hr =
        automation_->ElementFromPointBuildCache(POINT{x, y}, com_request(request), hit.put());
    return element_result(hr, std::move(hit));
  }

 private:
  static Result<ConditionPtr> condition_result(HRESULT hr, std::unique_ptr<ComCondition> condition,
                                               Place call = Place::current()) {
    RETURN_IF_FAILED_AT(hr, call);
    if (!condition->condition) return null_failure();
    return ConditionPtr(std::move(condition));
  }
  Result<ConditionPtr> property_condition(PROPERTYID property, Variant& value) {
    auto condition = std::make_unique<ComCondition>();
    HRESULT hr =
        automation_->CreatePropertyCondition(property, value.get(), condition->condition.put());
    return condition_result(hr, std::move(condition));
  }

  win32::UniqueCoUninitialize apartment_;
  ComPtr<IUIAutomation> automation_;
};

}  // namespace

namespace {

// CUIAutomation8 first: its objects offer IUIAutomation2, whose timeouts bound
// every call to a provider; the timeouts belong to the object, so to this
// session. Both settings are checked. Null with `bounds.failure` set when the
// class cannot be created (systems before Windows 8).
ComPtr<IUIAutomation> create_bounded(ProviderBounds& bounds) {
  ComPtr<IUIAutomation2> bounded;
  HRESULT hr = CoCreateInstance(sdk::kClsidCUIAutomation8, nullptr, CLSCTX_INPROC_SERVER,
                                sdk::kIidIUIAutomation2, bounded.put_void());
  if (FAILED(hr) || !bounded) {
    bounds.failure = "CoCreateInstance CUIAutomation8: " + com_error_text(FAILED(hr) ? hr : S_OK);
    return ComPtr<IUIAutomation>();
  }
  bounds.timeouts_offered = true;
  HRESULT connection = bounded->put_ConnectionTimeout(kProviderConnectionTimeoutMs);
  if (FAILED(connection)) {
    bounds.failure = "put_ConnectionTimeout: " + com_error_text(connection);
  } else if (HRESULT transaction = bounded->put_TransactionTimeout(kProviderTransactionTimeoutMs);
             FAILED(transaction)) {
    bounds.failure = "put_TransactionTimeout: " + com_error_text(transaction);
  }
  return ComPtr<IUIAutomation>(bounded.release());
}

}  // namespace

OpenResult ComUiaClient::open() {
  // A single-threaded apartment: see com_uia_client.h.
  const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(entered)) {
    return OpenResult{
        nullptr,
        OpenFailure{OpenFailure::Stage::ComInitialize, static_cast<std::uint32_t>(entered), {}},
        {}};
  }
  win32::UniqueCoUninitialize apartment(true);
  ProviderBounds bounds;
  ComPtr<IUIAutomation> automation = create_bounded(bounds);
  if (!automation) {
    HRESULT hr = CoCreateInstance(sdk::kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER,
                                  sdk::kIidIUIAutomation, automation.put_void());
    if (FAILED(hr) || !automation) {
      // The text is taken while the apartment is still entered; leaving it
      // (the apartment's destructor) follows.
      std::string text = FAILED(hr) ? com_error_text(hr) : com_error_text(S_OK);
      std::uint32_t code = FAILED(hr) ? static_cast<std::uint32_t>(hr) : 0u;
      return OpenResult{
          nullptr, OpenFailure{OpenFailure::Stage::CreateAutomation, code, std::move(text)}, {}};
    }
  }
  return OpenResult{std::make_unique<ComSession>(std::move(apartment), std::move(automation)),
                    {},
                    std::move(bounds)};
}

}  // namespace winhelper::uia
