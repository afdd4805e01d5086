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

// Descriptions are written for the model that calls the tools: what each
// does and returns, in as few words as keep it exact (tools/list is read on
// every session, and its size costs the model's context).
constexpr Entry kEntries[] = {
    {"list_windows",
     "listWindows",
     "List windows",
     "List the visible top-level windows, topmost first. A window's rootRef (\"@w3\") stays "
     "while it keeps being listed. List again after a window may have opened.",
     {.read_only = true, .idempotent = true},
     Rendering::Windows},
    {"focus_window",
     "focusWindow",
     "Focus a window",
     "Ask Windows to bring a listed window to the front. focused false is a refusal, not an "
     "error.",
     {.idempotent = true},
     Rendering::Json},
    {"look",
     "look",
     "Look at a window",
     "Screenshot (PNG, or JPEG when large) and element outline of a listed window (rootRef "
     "or windowId), kept as "
     "lookId (last 8 kept). One line per element: role \"title\" ref =\"value\" [flags] x,y "
     "wxh (image pixels). act, act_batch, read_text and wait_for take the lookId and refs such "
     "as win:look_4:@e12. With sinceLookId, only the changes since that look. Password fields "
     "never show their content.",
     {.read_only = true},
     Rendering::Look},
    {"act",
     "act",
     "Act on an element or point",
     "One action in a stored look, on an element (target {\"ref\"}) or a point of its image "
     "(target {\"x\", \"y\"}): press or click (params.button), setText (params.text), typeText "
     "(params.text, at the focus), keypress (params.keys, e.g. [\"ctrl\", \"s\"]), scroll "
     "(params.scrollX, scrollY), moveMouse, drag (params.path). Returns outcome (worked, didnt, "
     "unknown), evidence read back, and the windows that "
     "appeared, closed or took the focus (rootDelta).",
     {.destructive = true, .open_world = true},
     Rendering::Json},
    {"act_batch",
     "actBatch",
     "Act in a batch",
     "Run 1 to 20 actions (arguments as for act, one lookId, pid required) as one transaction: "
     "all are checked before the first runs, no other input comes between them, and the run "
     "stops at the first that fails or did not work (stoppedAt). Actions that ran are not "
     "undone.",
     {.destructive = true, .open_world = true},
     Rendering::Json},
    {"read_text",
     "uiaReadText",
     "Read an element's text",
     "Read an element's full text live, a page at a time (offset and limit in characters, "
     "default limit 4096); hasMore says more follows. Password fields are refused.",
     {.read_only = true, .idempotent = true},
     Rendering::Json},
    {"wait_for",
     "uiaWaitFor",
     "Wait for an element",
     "Wait until an element matching text, role and/or value (at least one) appears in a "
     "window, or with gone true until none does. A timeout is a result (timedOut true), not an error.",
     {.read_only = true, .idempotent = true},
     Rendering::Json},
    {"open_browser_location",
     "openBrowserLocation",
     "Open a location in a browser",
     "Bring the topmost window whose application name contains appName to the front and type "
     "url into its address bar (Ctrl+L, the text, Enter).",
     {.destructive = true, .open_world = true},
     Rendering::Json},
    {"diagnostics",
     "diagnostics",
     "Describe the helper",
     "The helper's platform, process id, protocol version and guarantees.",
     {.read_only = true, .idempotent = true},
     Rendering::Json},
};

std::vector<Tool> build_table() {
  std::vector<Tool> table;
  for (const Entry& e : kEntries) {
    table.push_back(Tool{e.name, e.command, e.title, e.description, input_schema_for(e.name),
                         argument_schema_for(e.name), output_schema_for(e.name), e.hints,
                         e.rendering});
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
  // Only the hints that differ from the protocol's defaults (not read-only,
  // destructive, not idempotent, open world); read-only is always said.
  // Whether a read-only tool is destructive or idempotent means nothing.
  const ToolHints& hints = tool.hints;
  Json annotations = {{"readOnlyHint", hints.read_only}};
  if (!hints.read_only && !hints.destructive) annotations["destructiveHint"] = false;
  if (!hints.read_only && hints.idempotent) annotations["idempotentHint"] = true;
  if (!hints.open_world) annotations["openWorldHint"] = false;
  Json out = {{"name", tool.name},
              {"title", tool.title},
              {"description", tool.description},
              {"inputSchema", tool.input_schema},
              {"annotations", std::move(annotations)}};
  if (!tool.output_schema.is_null()) out["outputSchema"] = tool.output_schema;
  return out;
}

}  // namespace winhelper::mcp
