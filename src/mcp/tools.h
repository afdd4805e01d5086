#pragma once
// The tools the MCP server offers: each runs one of the helper's own
// commands with the tool's arguments unchanged, so behaviour and messages are
// the helper's. The table is built once and read-only afterwards.

#include <string>
#include <string_view>
#include <vector>

#include "protocol/request.h"

namespace winhelper::mcp {

struct ToolHints {
  bool read_only = false;
  bool destructive = false;
  bool idempotent = false;
  // Reaches beyond the helper's own state: applications, web pages.
  bool open_world = false;
};

// How a successful result is shown to the model besides its structured form.
enum class Rendering {
  Json,     // the result as compact JSON text
  Windows,  // one line per listed window
  Look,     // the image, and the outline as indented lines
};

struct Tool {
  std::string name;
  std::string command;
  std::string title;
  std::string description;
  // What tools/list shows, and what the arguments are checked against:
  // the same, except where the shown one refers to another tool's schema or
  // leaves alternatives among the arguments to the description.
  Json input_schema;
  Json argument_schema;
  Json output_schema;
  ToolHints hints;
  Rendering rendering = Rendering::Json;
};

// In the order tools/list gives them.
const std::vector<Tool>& tool_table();
const Tool* find_tool(std::string_view name);

// The tool as tools/list describes it.
Json tool_description(const Tool& tool);

// Defined in desktop_tools.cpp: launching, window states, the clipboard.
std::vector<Tool> desktop_tools();

// Defined in tool_schemas.cpp: input and output schema of each tool, and
// the schema its arguments are checked against.
Json input_schema_for(std::string_view tool);
Json argument_schema_for(std::string_view tool);
Json output_schema_for(std::string_view tool);

}  // namespace winhelper::mcp
