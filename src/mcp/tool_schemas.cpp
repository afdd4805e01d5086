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
    "lookId": {"type": "string", "description": "The look that the target belongs to."},
    "action": {"type": "string",
               "enum": ["press", "click", "setText", "typeText", "keypress", "scroll",
                        "moveMouse", "drag"]},
    "target": {"type": "object",
               "description": "An element {\"ref\": \"win:look_N:@eM\"}, or a point {\"x\", \"y\"} in the look's image pixels.",
               "properties": {"ref": {"type": "string"}, "x": {"type": "number"},
                              "y": {"type": "number"}},
               "additionalProperties": false,
               "anyOf": [{"required": ["ref"]}, {"required": ["x", "y"]}]},
    "policy": {"type": "string", "enum": ["default", "foreground", "ax_only"],
               "description": "default: UI Automation only, no mouse or keyboard input; foreground: may bring the window to the front and send real input; ax_only: never real input."},
    "pid": {"type": "integer", "minimum": 0,
            "description": "Process whose window changes are reported; defaults to the look's window's process."},
    "params": {"type": "object",
               "properties": {
                 "button": {"type": "string", "enum": ["left", "right", "middle"]},
                 "text": {"type": "string"},
                 "keys": {"type": "array", "items": {"type": "string"},
                          "description": "Key names pressed together, e.g. [\"ctrl\", \"shift\", \"t\"]: letters, digits, f1-f24, enter, tab, esc, space, backspace, delete, home, end, pageup, pagedown, arrow keys, shift, ctrl, alt, win."},
                 "scrollX": {"type": "number"}, "scrollY": {"type": "number"},
                 "path": {"type": "array",
                          "items": {"type": "object",
                                    "properties": {"x": {"type": "number"}, "y": {"type": "number"}},
                                    "required": ["x", "y"], "additionalProperties": false}},
                 "preserveFocus": {"type": "boolean",
                                   "description": "For a point target: do not bring the window to the front first."}},
               "additionalProperties": false}},
  "required": ["lookId", "action", "target"],
  "additionalProperties": false
})json";

constexpr std::string_view kWindowRecord = R"json({
  "type": "object",
  "properties": {
    "rootRef": {"type": "string"}, "windowRef": {"type": "string"}, "ref": {"type": "string"},
    "title": {"type": "string"}, "appName": {"type": "string"},
    "processName": {"type": "string"}, "pid": {"type": "integer"},
    "windowId": {"type": "integer"}, "kind": {"type": "string"}, "role": {"type": "string"},
    "subrole": {"type": "string"}, "isFocused": {"type": "boolean"},
    "isMinimized": {"type": "boolean"}, "isModal": {"type": "boolean"},
    "bounds": {"type": "object"}, "framePoints": {"type": "object"},
    "zOrder": {"type": "integer"}, "scaleFactor": {"type": "number"}
  },
  "required": ["rootRef", "title", "windowId"]
})json";

constexpr std::string_view kActResult = R"json({
  "type": "object",
  "properties": {
    "outcome": {"type": "string", "enum": ["worked", "didnt", "unknown"]},
    "performed": {"type": "object"},
    "evidence": {"type": "object"},
    "rootDelta": {"type": "array", "items": {"type": "object"}}
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

Json count(const char* description) {
  Json schema = typed("integer", description);
  schema["minimum"] = 0;
  return schema;
}

}  // namespace

Json input_schema_for(std::string_view tool) {
  if (tool == "list_windows") {
    return object_schema({{"pid", count("List only the windows of this process.")}});
  }
  if (tool == "focus_window") {
    return object_schema({{"rootRef", typed("string", "A window ref \"@wN\" from list_windows.")}},
                         {"rootRef"});
  }
  if (tool == "look") {
    Json schema = object_schema(
        {{"rootRef", typed("string", "A window ref \"@wN\" from list_windows.")},
         {"windowId",
          typed("integer", "The window's windowId from list_windows, instead of rootRef.")},
         {"includeImage", typed("boolean", "Take a screenshot (default true).")},
         {"maxDimension",
          count("Longer side of the screenshot in pixels (default 1568 or the server's).")},
         {"scopeRef",
          typed("string", "An element ref from an earlier look: observe only its subtree.")},
         {"baseLookId", typed("string", "The look that scopeRef comes from.")}});
    schema["anyOf"] = Json::array({{{"required", {"rootRef"}}}, {{"required", {"windowId"}}}});
    return schema;
  }
  if (tool == "act") return parse(kActionSchema);
  if (tool == "act_batch") {
    Json action = parse(kActionSchema);
    action["required"].push_back("pid");
    Json actions = {{"type", "array"}, {"minItems", 1}, {"maxItems", 20}, {"items", action}};
    return object_schema({{"actions", actions}}, {"actions"});
  }
  if (tool == "read_text") {
    return object_schema({{"lookId", typed("string")},
                          {"elementRef", typed("string", "An element ref from that look.")},
                          {"offset", count("First character to return (default 0).")},
                          {"limit", count("Most characters to return (default 4096).")}},
                         {"lookId", "elementRef"});
  }
  if (tool == "wait_for") {
    Json schema = object_schema(
        {{"text", typed("string", "Text contained in the element's value or name (any case).")},
         {"role", typed("string", "Exact role, as the outline shows it (e.g. button, edit).")},
         {"value", typed("string", "Exact value (any case, blanks around ignored).")},
         {"gone", typed("boolean", "Wait until no element matches (default false).")},
         {"timeoutMs", count("Time limit in ms, 100 to 60000 (default 10000).")},
         {"rootRef", typed("string", "The window to search: a ref \"@wN\" from list_windows.")},
         {"windowId", typed("integer", "The window to search, by windowId.")},
         {"pid", count("Search a window of this process.")},
         {"lookId", typed("string", "The look that scopeRef comes from.")},
         {"scopeRef", typed("string", "Search only this element's subtree.")},
         {"scopeExact", typed("boolean", "With scopeRef: match only the scope element itself.")}});
    schema["anyOf"] = Json::array(
        {{{"required", {"text"}}}, {{"required", {"role"}}}, {{"required", {"value"}}}});
    return schema;
  }
  if (tool == "open_browser_location") {
    return object_schema(
        {{"appName",
          typed("string", "Part of the browser's application name, e.g. \"edge\" or \"chrome\".")},
         {"url", typed("string", "The location to type into the address bar.")}},
        {"url"});
  }
  return object_schema(Json::object());
}

Json output_schema_for(std::string_view tool) {
  if (tool == "list_windows") {
    Json records = {{"type", "array"}, {"items", parse(kWindowRecord)}};
    return open_object({{"windows", records}, {"roots", records}, {"stateId", typed("string")}},
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
                             {"value", typed("string")},
                             {"children", {{"type", "array"}, {"items", typed("object")}}}},
                            {"ref", "role", "children"});
    Json image = open_object(
        {{"width", typed("number")},
         {"height", typed("number")},
         {"mimeType", typed("string")},
         {"format", typed("string")},
         {"scale", typed("number")}},
        {"width", "height", "mimeType"});
    return open_object({{"lookId", typed("string")},
                        {"outline", node},
                        {"image", image},
                        {"window", typed("object")},
                        {"timings", typed("object")},
                        {"capturedAt", typed("number")}},
                       {"lookId", "outline", "window"});
  }
  if (tool == "act") return parse(kActResult);
  if (tool == "act_batch") {
    // A step that failed has its error in place of `performed`.
    Json step = parse(kActResult);
    step["properties"]["error"] =
        open_object({{"code", typed("string")}, {"message", typed("string")}});
    step["required"] = {"outcome"};
    Json schema = parse(kActResult);
    schema["properties"]["steps"] = {{"type", "array"}, {"items", step}};
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
                      {"arch", typed("string")},
                      {"pid", typed("integer")},
                      {"protocolVersion", typed("integer")},
                      {"invariants", {{"type", "array"}, {"items", typed("string")}}}},
                     {"os", "pid", "protocolVersion", "invariants"});
}

}  // namespace winhelper::mcp
