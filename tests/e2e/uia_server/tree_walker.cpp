// The control-view walker over the window tree: elements that are not control elements are
// stepped over, as IUIAutomation::get_ControlViewWalker documents.

#include "com_object.h"
#include "iids.h"
#include "provider_timeouts.h"
#include "counted_bases.h"
#include "server_objects.h"

namespace uia_server {
namespace {

class Walker final
    : public ComObject<CountedIUIAutomationTreeWalker, iid::kTreeWalker, ObjectKind::TreeWalker> {
 protected:
  HRESULT on_GetParentElement(IUIAutomationElement* element, IUIAutomationElement** out) override {
    return step(element, out, [](const Node& node) { return control_view_parent(node); });
  }
  HRESULT on_GetParentElementBuildCache(IUIAutomationElement* element,
                                        IUIAutomationCacheRequest* request,
                                        IUIAutomationElement** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CacheSpec spec;
    if (HRESULT hr = cache_request_spec(request, spec); FAILED(hr)) return hr;
    return step(
        element, out, [](const Node& node) { return control_view_parent(node); }, &spec);
  }
  HRESULT on_GetFirstChildElement(IUIAutomationElement* element, IUIAutomationElement** out) override {
    return step(element, out, [](const Node& node) -> std::optional<Node> {
      auto all = control_view_children(node);
      if (all.empty()) return std::nullopt;
      return all.front();
    });
  }
  HRESULT on_GetNextSiblingElement(IUIAutomationElement* element, IUIAutomationElement** out) override {
    return step(element, out, [](const Node& node) -> std::optional<Node> {
      auto up = control_view_parent(node);
      if (!up) return std::nullopt;
      auto all = control_view_children(*up);
      for (size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i] == node) return all[i + 1];
      }
      return std::nullopt;
    });
  }

 private:
  // No such neighbour: success with nothing, as UI Automation answers.
  template <typename Move>
  static HRESULT step(IUIAutomationElement* element, IUIAutomationElement** out, Move move,
                      const CacheSpec* spec = nullptr) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    Node node;
    if (!node_of(element, node)) {
      return fail(E_INVALIDARG, L"The element does not come from this automation object");
    }
    if (HRESULT state = reach(node); FAILED(state)) return state;
    if (auto next = move(node))
      *out = spec ? make_cached_element(*next, *spec) : make_element(*next);
    return S_OK;
  }
};

}  // namespace

IUIAutomationTreeWalker* make_control_view_walker() { return new Walker(); }

}  // namespace uia_server
