#pragma once
// Factories of the server's COM objects. Each returns a new object holding one reference,
// owned by the caller.

#include <windows.h>

#include <ole2.h>
#include <uiautomationclient.h>

#include <vector>

#include "window_node.h"

namespace uia_server {

IUIAutomationElement* make_element(const Node& node);
IUIAutomationElementArray* make_element_array(const std::vector<Node>& nodes);
IUIAutomationTreeWalker* make_control_view_walker();

// The node behind an element of this server, or false for a foreign or null element.
bool node_of(IUIAutomationElement* element, Node& node);

IUIAutomationCondition* make_true_condition();
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

// A property value as UI Automation reports it; VT_EMPTY for properties not served.
HRESULT property_value(const Node& node, PROPERTYID property, VARIANT* out);

}  // namespace uia_server
