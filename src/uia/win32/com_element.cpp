#include "uia/win32/com_element.h"

#include "uia/win32/com_conditions.h"

namespace winhelper::uia::detail {
namespace {

ElementPtr wrap(ComPtr<IUIAutomationElement> element) {
  return std::make_unique<ComElement>(std::move(element));
}

// Over a null array (see array_result) it is empty.
class ComElementArray final : public ElementArray {
 public:
  explicit ComElementArray(ComPtr<IUIAutomationElementArray> a) : a_(std::move(a)) {}
  Result<int> length() override {
    if (!a_) return 0;
    int length = 0;
    RETURN_IF_FAILED(a_->get_Length(&length));
    return length;
  }
  Result<ElementPtr> element(int index) override {
    if (!a_) return com_failure(E_INVALIDARG);
    ComPtr<IUIAutomationElement> element;
    HRESULT hr = a_->GetElement(index, element.put());
    return element_result(hr, std::move(element));
  }

 private:
  ComPtr<IUIAutomationElementArray> a_;
};

// A successful call may hand back no array: GetCachedChildren does for an element
// whose children were cached but that has none, and FindAll/FindAllBuildCache may for a
// search without a match. Both mean no elements.
Result<std::unique_ptr<ElementArray>> array_result(HRESULT hr,
                                                   ComPtr<IUIAutomationElementArray> all,
                                                   Place call = Place::current()) {
  RETURN_IF_FAILED_AT(hr, call);
  return std::unique_ptr<ElementArray>(std::make_unique<ComElementArray>(std::move(all)));
}

}  // namespace

Result<ElementPtr> element_result(HRESULT hr, ComPtr<IUIAutomationElement> element, Place call) {
  RETURN_IF_FAILED_AT(hr, call);
  if (!element) return null_failure();
  return wrap(std::move(element));
}

Result<std::unique_ptr<ElementArray>> ComElement::find_all_subtree(Condition& condition) {
  ComPtr<IUIAutomationElementArray> all;
  HRESULT hr = e_->FindAll(sdk::kTreeScopeSubtree, com_condition(condition), all.put());
  return array_result(hr, std::move(all));
}

Result<std::unique_ptr<ElementArray>> ComElement::find_all_subtree_build_cache(
    Condition& condition, CacheRequest& request) {
  ComPtr<IUIAutomationElementArray> all;
  HRESULT hr = e_->FindAllBuildCache(sdk::kTreeScopeSubtree, com_condition(condition),
                                     com_request(request), all.put());
  return array_result(hr, std::move(all));
}

Result<ElementPtr> ComElement::find_first_subtree(Condition& condition) {
  ComPtr<IUIAutomationElement> found;
  HRESULT hr = e_->FindFirst(sdk::kTreeScopeSubtree, com_condition(condition), found.put());
  return element_result(hr, std::move(found));
}

Result<ElementPtr> ComElement::find_first_subtree_build_cache(Condition& condition,
                                                              CacheRequest& request) {
  ComPtr<IUIAutomationElement> found;
  HRESULT hr = e_->FindFirstBuildCache(sdk::kTreeScopeSubtree, com_condition(condition),
                                       com_request(request), found.put());
  return element_result(hr, std::move(found));
}

Result<ElementPtr> ComElement::build_updated_cache(CacheRequest& request) {
  ComPtr<IUIAutomationElement> updated;
  HRESULT hr = e_->BuildUpdatedCache(com_request(request), updated.put());
  return element_result(hr, std::move(updated));
}

Result<std::unique_ptr<ElementArray>> ComElement::cached_children() {
  ComPtr<IUIAutomationElementArray> children;
  HRESULT hr = e_->GetCachedChildren(children.put());
  return array_result(hr, std::move(children));
}

}  // namespace winhelper::uia::detail
