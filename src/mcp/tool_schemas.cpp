// Input and output schemas of the tools (JSON Schema; the keywords used are
// those that argument_check.h understands). Output schemas name the members
// a result always or often has; results may carry more.

#include <string_view>

#include "mcp/tools.h"

namespace winhelper::mcp {

namespace {

constexpr std::string_view kActionSchema = R"json({
  "type": "object",
  "properties": {
    "lookId": {"type": "string"},
    "action": {"type": "string",
               "enum": ["press", "click", "setText", "typeText", "keypress", "scroll",
                        "moveMouse", "drag"]},
    "target": {"type": "object",
               "properties": {"ref": {"type": "string"}, "x": {"type": "number"},
                              "y": {"type": "number"}},
               "additionalProperties": false,
               "anyOf": [{"required": ["ref"]}, {"required": ["x", "y"]}]},
    "policy": {"type": "string", "enum": ["default", "foreground", "ax_only"],
               "description": "default: UI Automation only; foreground: may bring the window to the front and send real input; ax_only: never real input."},
    "pid": {"type": "integer", "minimum": 0,
            "description": "Process whose window changes are reported (default: the look's)."},
    "params": {"type": "object",
               "properties": {
                 "button": {"type": "string", "enum": ["left", "right", "middle"]},
                 "text": {"type": "string"},
                 "keys": {"type": "array", "items": {"type": "string"},
                          "description": "Pressed together: letters, digits, f1-f24, enter, tab, esc, space, backspace, delete, home, end, pageup, pagedown, left, up, right, down, shift, ctrl, alt, win."},
                 "scrollX": {"type": "number"}, "scrollY": {"type": "number"},
                 "path": {"type": "array",
                          "items": {"type": "object",
                                    "properties": {"x": {"type": "number"}, "y": {"type": "number"}},
                                    "required": ["x", "y"], "additionalProperties": false}},
                 "preserveFocus": {"type": "boolean",
                                   "description": "Point target: do not bring the window to the front."}},
               "additionalProperties": false}},
  "required": ["lookId", "action", "target"],
  "additionalProperties": false
})json";

// What a model reads of a window; a record carries more.
constexpr std::string_view kWindowRecord = R"json({
  "type": "object",
  "properties": {
    "rootRef": {"type": "string"}, "title": {"type": "string"}, "appName": {"type": "string"},
    "pid": {"type": "integer"}, "windowId": {"type": "integer"}, "kind": {"type": "string"},
    "isFocused": {"type": "boolean"}, "bounds": {"type": "object"}
  },
  "required": ["rootRef", "title", "windowId"]
})json";

constexpr std::string_view kActResult = R"json({
  "type": "object",
  "properties": {
    "outcome": {"type": "string", "enum": ["worked", "didnt", "unknown"]},
    "performed": {"type": "object"},
    "evidence": {"type": "object"},
    "rootDelta": {"type": "array"}
  },
  "required": ["outcome", "performed"]
})json";

Json parse(std::string_view text) {
  return Json::parse(text);
}

// An object with these members, of which `required` are always present.
Json open_object(Json properties, Json required = Json::array()) {
  Json schema = {{"type", "object"}, {"properties", std::move(properties)}};
  if (!required.empty()) schema["required"] = std::move(required);
  return schema;
}

// Tool arguments: no member beyond those listed.
Json object_schema(Json properties, Json required = Json::array()) {
  Json schema = open_object(std::move(properties), std::move(required));
  schema["additionalProperties"] = false;
  return schema;
}

Json typed(const char* type, const char* description = nullptr) {
  Json schema = {{"type", type}};
  if (description) schema["description"] = description;
  return schema;
}

Json count(const char* description = nullptr) {
  Json schema = typed("integer", description);
  schema["minimum"] = 0;
  return schema;
}

// A look's changes since an earlier look (sinceLookId).
Json look_changes_schema() {
  Json refs = {{"type", "array"}, {"items", typed("string")}};
  return open_object({{"appeared", refs},
                      {"gone", refs},
                      {"changed", typed("array", "{ref, earlierRef, fields}")},
                      {"unchanged", typed("integer")}},
                     {"appeared", "gone", "changed", "unchanged"});
}

}  // namespace

Json input_schema_for(std::string_view tool) {
  if (tool == "list_windows") {
    return object_schema({{"pid", count("Only this process's windows.")}});
  }
  if (tool == "focus_window") {
    return object_schema({{"rootRef", typed("string")}}, {"rootRef"});
  }
  if (tool == "look") {
    return object_schema(
        {{"rootRef", typed("string", "The window (or windowId).")},
         {"windowId", typed("integer", "Instead of rootRef.")},
         {"includeImage", typed("boolean", "Default true.")},
         {"maxDimension", count("Largest image side in pixels (default 1568 or the server's).")},
         {"scopeRef",
          typed("string", "Observe only this element's subtree (for truncated parts).")},
         {"baseLookId", typed("string", "The look scopeRef is from.")},
         {"sinceLookId",
          typed("string", "List only what changed since this look of the window.")}});
  }
  if (tool == "act") return parse(kActionSchema);
  if (tool == "act_batch") {
    // Shown by reference to act's schema, which the list holds already;
    // checked in full (argument_schema_for).
    Json action = typed("object", "Arguments as for act.");
    action["required"] = {"lookId", "action", "target", "pid"};
    Json actions = {{"type", "array"}, {"minItems", 1}, {"maxItems", 20}, {"items", action}};
    return object_schema({{"actions", actions}}, {"actions"});
  }
  if (tool == "read_text") {
    return object_schema({{"lookId", typed("string")},
                          {"elementRef", typed("string")},
                          {"offset", count()},
                          {"limit", count()}},
                         {"lookId", "elementRef"});
  }
  if (tool == "wait_for") {
    return object_schema({{"text", typed("string", "Contained in the value or title, any case.")},
                       {"role", typed("string", "Exact, as the outline shows it.")},
                       {"value", typed("string", "Equal, any case, blanks around ignored.")},
                       {"gone", typed("boolean")},
                       {"timeoutMs", count("Default 10000, at most 60000.")},
                       {"rootRef", typed("string", "The window: rootRef, windowId or pid.")},
                       {"windowId", typed("integer")},
                       {"pid", count()},
                       {"lookId", typed("string", "The look scopeRef is from.")},
                       {"scopeRef", typed("string", "Only this element's subtree.")},
                       {"scopeExact", typed("boolean", "Only the scope element itself.")}});
  }
  if (tool == "open_browser_location") {
    return object_schema(
        {{"appName", typed("string", "E.g. \"edge\" or \"chrome\".")}, {"url", typed("string")}},
        {"url"});
  }
  return object_schema(Json::object());
}

// Alternatives among a tool's arguments ("rootRef or windowId") are checked
// here and stated in the descriptions, never shown as a composition at the
// root of the listed schema: model APIs refuse a tool whose input schema has
// anyOf, oneOf or allOf at the top level, and with it the whole request.
Json argument_schema_for(std::string_view tool) {
  Json schema = input_schema_for(tool);
  auto one_of_these = [](std::initializer_list<const char*> names) {
    Json branches = Json::array();
    for (const char* name : names) branches.push_back({{"required", {name}}});
    return branches;
  };
  if (tool == "look") schema["anyOf"] = one_of_these({"rootRef", "windowId"});
  if (tool == "wait_for") schema["anyOf"] = one_of_these({"text", "role", "value"});
  if (tool == "act_batch") {
    Json action = parse(kActionSchema);
    action["required"].push_back("pid");
    schema["properties"]["actions"]["items"] = std::move(action);
  }
  return schema;
}

Json output_schema_for(std::string_view tool) {
  if (tool == "list_windows") {
    Json records = {{"type", "array"}, {"items", parse(kWindowRecord)}};
    // `roots` holds the same records.
    return open_object(
        {{"windows", records}, {"roots", typed("array")}, {"stateId", typed("string")}},
        {"windows", "stateId"});
  }
  if (tool == "focus_window") {
    return open_object({{"alreadyFocused", typed("boolean")}, {"focused", typed("boolean")}},
                       {"alreadyFocused", "focused"});
  }
  if (tool == "look") {
    Json node = open_object({{"ref", typed("string")},
                             {"role", typed("string")},
                             {"title", typed("string")},
                             {"children", typed("array")}},
                            {"ref", "role", "children"});
    Json image = open_object({{"width", typed("number")},
                              {"height", typed("number")},
                              {"format", typed("string")},
                              {"scale", typed("number")}},
                             {"width", "height"});
    return open_object({{"lookId", typed("string")},
                        {"outline", node},
                        {"image", image},
                        {"window", typed("object")},
                        {"changes", look_changes_schema()},
                        {"changesUnavailable", typed("object")}},
                       {"lookId", "outline", "window"});
  }
  if (tool == "act") return parse(kActResult);
  if (tool == "act_batch") {
    // Each step is an act result, or {error} for a step that failed.
    Json schema = parse(kActResult);
    schema["properties"]["steps"] = typed("array");
    schema["properties"]["stoppedAt"] = typed("integer");
    schema["required"].push_back("steps");
    return schema;
  }
  if (tool == "read_text") {
    return open_object({{"text", typed("string")},
                        {"offset", typed("integer")},
                        {"limit", typed("integer")},
                        {"totalChars", typed("integer")},
                        {"hasMore", typed("boolean")}},
                       {"text", "offset", "limit", "totalChars", "hasMore"});
  }
  if (tool == "wait_for") {
    return open_object({{"found", typed("boolean")},
                        {"gone", {{"type", {"boolean", "null"}}}},
                        {"timedOut", typed("boolean")},
                        {"nodeCount", typed("integer")}},
                       {"found", "nodeCount"});
  }
  if (tool == "open_browser_location") {
    return open_object({{"opened", typed("boolean")}}, {"opened"});
  }
  return open_object({{"os", typed("string")},
                      {"pid", typed("integer")},
                      {"protocolVersion", typed("integer")},
                      {"invariants", typed("array")}},
                     {"os", "pid", "protocolVersion", "invariants"});
}

}  // namespace winhelper::mcp
