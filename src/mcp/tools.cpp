#include "mcp/tools.h"

#include <algorithm>

namespace winhelper::mcp {

namespace {

struct Entry {
  const char* name;
  const char* command;
  const char* title;
  const char* description;
  ToolHints hints;
  Rendering rendering;
};

// Descriptions are written for the model that calls the tools.
constexpr Entry kEntries[] = {
    {"list_windows",
     "listWindows",
     "List windows",
     "List the visible top-level windows of the desktop, topmost first. Each window gets a "
     "reference such as \"@w3\" (rootRef) that stays the same while the window keeps being "
     "listed; look, focus_window and wait_for take it. Call this first, and again after a new "
     "window may have opened. With pid, only that process's windows are listed.",
     {.read_only = true, .idempotent = true},
     Rendering::Windows},
    {"focus_window",
     "focusWindow",
     "Focus a window",
     "Ask Windows to bring a listed window (rootRef \"@wN\") to the foreground. Reports whether "
     "it already was in front (alreadyFocused) and whether the request was granted (focused); a "
     "refusal is not an error.",
     {.idempotent = true},
     Rendering::Json},
    {"look",
     "look",
     "Look at a window",
     "Observe one listed window: a screenshot (PNG, or JPEG when large) and an outline of its UI elements, one line "
     "per element: role, \"title\", ref, =\"value\", [capabilities and states], and the "
     "rectangle x,y wxh in screenshot pixels. The observation is stored under a lookId; act, "
     "act_batch, read_text and wait_for name elements by that lookId and the element's ref "
     "(such as win:look_4:@e12). Only the last 8 looks are kept, so take a new look after the "
     "window changed. Password fields never show their content. includeImage false skips the "
     "screenshot; maxDimension sets its longer side; scopeRef (with baseLookId) looks only at the subtree "
     "of an element from an earlier look, for parts marked truncated.",
     {.read_only = true},
     Rendering::Look},
    {"act",
     "act",
     "Act on an element or point",
     "Perform one action in a stored look: on an element (target {\"ref\": ...}) or on a point "
     "of the look's screenshot (target {\"x\": ..., \"y\": ...} in image pixels). Actions: "
     "press or click (params.button left/right/middle), setText (params.text), typeText "
     "(params.text at the keyboard focus), keypress (params.keys, e.g. [\"ctrl\", \"s\"]), "
     "scroll (params.scrollX, params.scrollY), moveMouse, drag (params.path of {x, y} points). "
     "Element actions go through UI Automation without moving the mouse where they can. Real "
     "mouse and keyboard input needs policy \"foreground\": the window is brought to the front "
     "and the target checked for being covered first; \"ax_only\" forbids it. The result tells "
     "whether it worked (outcome worked, didnt or unknown), how it was delivered, evidence read "
     "back (value, toggleState, selected), and the windows that appeared, closed or changed "
     "(rootDelta). Take a new look before acting on what changed.",
     {.destructive = true, .open_world = true},
     Rendering::Json},
    {"act_batch",
     "actBatch",
     "Act in a batch",
     "Run 1 to 20 actions (each as for act, all on one lookId and one pid, pid required) as "
     "one transaction: every action is checked before the first runs, no other input comes "
     "between them, and the run stops at the first action that fails or did not work "
     "(stoppedAt). Actions that ran are not undone. Window changes are reported once for the "
     "whole batch.",
     {.destructive = true, .open_world = true},
     Rendering::Json},
    {"read_text",
     "uiaReadText",
     "Read an element's text",
     "Read the full text of an element of a stored look (lookId and elementRef), live from the "
     "application, a page at a time: offset and limit count characters (default limit 4096); "
     "hasMore says whether more follows. Password fields are refused.",
     {.read_only = true, .idempotent = true},
     Rendering::Json},
    {"wait_for",
     "uiaWaitFor",
     "Wait for an element",
     "Wait until an element matching text (contained, any case), role (exact) and/or value "
     "(exact, any case) appears in a window, or with gone true until none is left. Name the "
     "window by rootRef, windowId or pid; scopeRef with lookId narrows the search to an "
     "element's subtree. Polls every 150 ms up to timeoutMs (100 to 60000, default 10000). A "
     "timeout is a result (found false, timedOut true), not an error.",
     {.read_only = true, .idempotent = true},
     Rendering::Json},
    {"open_browser_location",
     "openBrowserLocation",
     "Open a location in a browser",
     "Bring the topmost window whose application name contains appName (any case) to the "
     "foreground and type url into its address bar (Ctrl+L, the text, Enter). Refuses to type "
     "when no such window exists or it cannot be brought to the front.",
     {.destructive = true, .open_world = true},
     Rendering::Json},
    {"diagnostics",
     "diagnostics",
     "Describe the helper",
     "Describe this helper: platform, process id, protocol version and the guarantees it "
     "keeps.",
     {.read_only = true, .idempotent = true},
     Rendering::Json},
};

std::vector<Tool> build_table() {
  std::vector<Tool> table;
  for (const Entry& e : kEntries) {
    table.push_back(Tool{e.name, e.command, e.title, e.description, input_schema_for(e.name),
                         output_schema_for(e.name), e.hints, e.rendering});
  }
  for (Tool& tool : desktop_tools()) table.push_back(std::move(tool));
  return table;
}

}  // namespace

const std::vector<Tool>& tool_table() {
  static const std::vector<Tool> table = build_table();
  return table;
}

const Tool* find_tool(std::string_view name) {
  const auto& table = tool_table();
  auto it = std::find_if(table.begin(), table.end(), [&](const Tool& t) { return t.name == name; });
  return it == table.end() ? nullptr : &*it;
}

Json tool_description(const Tool& tool) {
  Json annotations = {{"title", tool.title},
                      {"readOnlyHint", tool.hints.read_only},
                      {"destructiveHint", tool.hints.destructive},
                      {"idempotentHint", tool.hints.idempotent},
                      {"openWorldHint", tool.hints.open_world}};
  Json out = {{"name", tool.name},
              {"title", tool.title},
              {"description", tool.description},
              {"inputSchema", tool.input_schema},
              {"annotations", std::move(annotations)}};
  if (!tool.output_schema.is_null()) out["outputSchema"] = tool.output_schema;
  return out;
}

}  // namespace winhelper::mcp
