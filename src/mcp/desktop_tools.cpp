// The tools that start applications, arrange windows and use the clipboard,
// with their input schemas. Kept terse: every tool's text counts against the
// size of the tool listing a model reads, so they carry no output schema (their
// small results are named in the descriptions).

#include "mcp/tools.h"

namespace winhelper::mcp {

namespace {

// An object with these members and no others.
Json arguments_of(Json properties, Json required = Json::array()) {
  Json schema = {
      {"type", "object"}, {"properties", std::move(properties)}, {"additionalProperties", false}};
  if (!required.empty()) schema["required"] = std::move(required);
  return schema;
}

Json of_type(Json type) {
  return {{"type", std::move(type)}};
}

// A tool whose arguments are checked against the schema tools/list shows.
Tool tool(std::string name, std::string command, std::string title, std::string description,
          Json arguments, ToolHints hints) {
  return Tool{std::move(name), std::move(command), std::move(title), std::move(description),
              arguments,       arguments,          Json(),           hints,
              Rendering::Json};
}

}  // namespace

std::vector<Tool> desktop_tools() {
  const Json integer = of_type("integer");
  std::vector<Tool> tools;
  tools.push_back(
      tool("launch_app", "launchApp", "Launch app",
           "Start path (program, document, URL, shell:AppsFolder\\<AUMID>) or command (no "
           "shell); wait up to waitMs (10000, max 60000) for the first window of it or its "
           "children. Returns pid and window (with rootRef), or timedOut. webAccessibility: "
           "true for a Chromium-family browser or an Electron app, so that its web content's "
           "elements are there from the start.",
           arguments_of({{"path", of_type("string")},
                         {"command", of_type("string")},
                         {"args", {{"type", {"string", "array"}}, {"items", of_type("string")}}},
                         {"cwd", of_type("string")},
                         {"waitMs", integer},
                         {"webAccessibility", of_type("boolean")}}),
           // Starting a program can do anything that program does.
           {.destructive = true, .open_world = true}));
  tools.push_back(tool(
      "run_command", "runCommand", "Run a command",
      "Run program with args (no shell), or command in shell cmd (default) or powershell. "
      "After timeoutMs (30000, max 600000) it and all it started are ended. Returns exitCode, "
      "stdout, stderr (maxOutputChars each, 16384; head and tail kept), timedOut.",
      arguments_of({{"program", of_type("string")},
                    {"args", {{"type", "array"}, {"items", of_type("string")}}},
                    {"command", of_type("string")},
                    {"shell", {{"enum", {"cmd", "powershell"}}}},
                    {"cwd", of_type("string")},
                    {"env", of_type("object")},
                    {"stdin", of_type("string")},
                    {"timeoutMs", integer},
                    {"maxOutputChars", integer}}),
      // A command can do anything its program does.
      {.destructive = true, .open_world = true}));
  tools.push_back(tool(
      "set_window_state", "setWindowState", "Arrange window",
      "minimize, maximize, restore or close (politely) a listed window; bounds {x, y, width, "
      "height} in screen pixels moves it. Returns its record; close adds rootDelta (a save "
      "prompt).",
      arguments_of(
          {{"rootRef", of_type("string")},
           {"state", {{"enum", {"minimize", "maximize", "restore", "close"}}}},
           {"bounds",
            arguments_of({{"x", integer}, {"y", integer}, {"width", integer}, {"height", integer}},
                         {"x", "y", "width", "height"})}},
          {"rootRef"}),
      {.destructive = true, .open_world = true}));
  tools.push_back(tool("clipboard_read", "clipboardRead", "Read clipboard",
                       "The clipboard's text, paged as read_text; hasText false if none.",
                       arguments_of({{"offset", integer}, {"limit", integer}}),
                       {.read_only = true, .idempotent = true, .open_world = true}));
  tools.push_back(tool("clipboard_write", "clipboardWrite", "Write clipboard",
                       "Put text on the clipboard.",
                       arguments_of({{"text", of_type("string")}}, {"text"}),
                       {.destructive = true, .idempotent = true, .open_world = true}));
  return tools;
}

}  // namespace winhelper::mcp
