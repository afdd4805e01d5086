#pragma once
// Factories of the server's COM objects. Each returns a new object holding one reference,
// owned by the caller.

#include <windows.h>

#include <ole2.h>
#include <uiautomationclient.h>

#include <vector>

#include "com_object.h"
#include "window_node.h"

namespace uia_server {

// What a cache request of this server asks for. The tree filter decides which elements the
// cache and the searches that take the request see; by default it is the control view
// (IUIAutomationCacheRequest::TreeFilter), which leaves out elements that are not control
// elements and moves their children up.
struct CacheSpec {
  std::vector<PROPERTYID> properties;
  std::vector<PATTERNID> patterns;
  int scope = 1;                       // TreeScope_Element
  Ref<IUIAutomationCondition> filter;  // null: the control view
  bool full = true;                    // AutomationElementMode_Full
};

IUIAutomationCacheRequest* make_cache_request();
// What one of this server's cache requests asks for, for a cache-building call; fails (with
// error info) for a foreign or null request, and with E_NOTIMPL when caching is refused.
HRESULT cache_request_spec(IUIAutomationCacheRequest* request, CacheSpec& spec);

IUIAutomationElement* make_element(const Node& node);
// An element carrying a cache built now, as the request describes: the requested properties'
// values (a snapshot), and, as far as the scope reaches, the cached children in the filter's
// view. `below` is set for the elements under the one the request ran on.
IUIAutomationElement* make_cached_element(const Node& node, const CacheSpec& spec,
                                          bool below = false);
IUIAutomationElementArray* make_element_array(std::vector<Ref<IUIAutomationElement>> elements);
IUIAutomationTreeWalker* make_control_view_walker();

// The node behind an element of this server, or false for a foreign or null element.
bool node_of(IUIAutomationElement* element, Node& node);

IUIAutomationCondition* make_true_condition();
// IsControlElement is true: the control view's condition, the default tree filter.
IUIAutomationCondition* make_control_view_condition();
// Whether the node is in the view of a tree filter (null: the control view).
bool in_view(IUIAutomationCondition* filter, const Node& node);
// Conditions over this server's conditions; false (and a null result) for a foreign one.
HRESULT make_and_condition(IUIAutomationCondition* first, IUIAutomationCondition* second,
                           IUIAutomationCondition** out);
HRESULT make_or_condition(IUIAutomationCondition** conditions, int count,
                          IUIAutomationCondition** out);
// Fails with E_INVALIDARG (and error info) for a value type it cannot compare.
HRESULT make_property_condition(PROPERTYID property, const VARIANT& value,
                                IUIAutomationCondition** out);
// Whether the node meets a condition of this server (false for a foreign one).
bool matches(IUIAutomationCondition* condition, const Node& node);
// Whether the condition is one of this server's.
bool is_server_condition(IUIAutomationCondition* condition);

// The pattern object for `pattern` on the node, or null when the node lacks that pattern.
IUnknown* make_pattern(const Node& node, PATTERNID pattern);
bool has_pattern(const Node& node, PATTERNID pattern);
// The legacy accessible default action ("" without one).
std::wstring default_action(const Node& node);

// A property value as UI Automation reports it; VT_EMPTY for properties not served.
HRESULT property_value(const Node& node, PROPERTYID property, VARIANT* out);

}  // namespace uia_server
