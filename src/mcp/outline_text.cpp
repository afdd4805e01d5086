#include "mcp/outline_text.h"

#include <cmath>
#include <utility>

#include "mcp/jsonrpc.h"
#include "mcp/look_changes_text.h"
#include "protocol/args.h"

namespace winhelper::mcp {

namespace {

// Flag words in the order they are written, for each boolean member of a
// node that is true.
constexpr std::pair<const char*, const char*> kFlags[] = {
    {"canPress", "press"},          {"canSetValue", "setvalue"},   {"canScroll", "scroll"},
    {"canIncrement", "increment"},  {"canDecrement", "decrement"}, {"canFocus", "focus"},
    {"isTextInput", "textinput"},   {"focused", "focused"},        {"offscreen", "offscreen"},
    {"pictureOnly", "pictureonly"}, {"truncated", "truncated"},   {"isPassword", "password"},
};

std::string json_quoted(const std::string& text) {
  return dump_json(Json(text));
}

std::string rounded(const Json& rect, const char* key) {
  double v = arg_f64(rect, key).value_or(0.0);
  return std::to_string(static_cast<long long>(std::llround(v)));
}

void render_node(const Json& node, int depth, std::string& out) {
  out += element_line(node, depth);
  out += '\n';
  if (const Json* children = arg_array(node, "children")) {
    for (const Json& child : *children) render_node(child, depth + 1, out);
  }
}

}  // namespace

std::string ancestor_line(const Json& node, int depth) {
  std::string out(static_cast<std::size_t>(depth) * 2, ' ');
  out += arg_string(node, "role").value_or("unknown");
  out += ' ';
  out += json_quoted(arg_string(node, "title").value_or(""));
  if (auto ref = arg_string(node, "ref"); ref && !ref->empty()) out += ' ' + *ref;
  return out;
}

std::string element_line(const Json& node, int depth) {
  std::string out = ancestor_line(node, depth);
  if (auto value = arg_string(node, "value"); value && !value->empty()) {
    out += " =" + json_quoted(*value);
  }
  std::string flags;
  for (const auto& [member, word] : kFlags) {
    if (arg_bool(node, member).value_or(false))
      flags += (flags.empty() ? "" : ",") + std::string(word);
  }
  if (!flags.empty()) out += " [" + flags + "]";
  if (const Json* rect = arg_object(node, "rect")) {
    out += ' ' + rounded(*rect, "x") + ',' + rounded(*rect, "y") + ' ' + rounded(*rect, "w") + 'x' +
           rounded(*rect, "h");
  }
  return out;
}

std::string image_summary(const Json& image) {
  std::string out = rounded(image, "width") + 'x' + rounded(image, "height") + " pixels";
  if (auto format = arg_string(image, "format")) {
    out += ' ' + *format;
    if (auto quality = arg_u64(image, "jpegQuality")) out += " quality " + std::to_string(*quality);
  }
  if (auto scale = arg_f64(image, "scale")) {
    std::string text = dump_json(Json(*scale));
    out += " (scale " + text + " of the window";
    if (arg_bool(image, "shrunkToFit").value_or(false)) out += ", shrunk to fit the byte limit";
    out += ')';
  }
  return out;
}

std::string render_outline(const Json& outline) {
  std::string out;
  render_node(outline, 0, out);
  return out;
}

std::string look_header(const Json& look) {
  std::string out = "lookId " + arg_string(look, "lookId").value_or("");
  if (const Json* image = arg_object(look, "image")) {
    out += ", image " + image_summary(*image);
  } else {
    out += ", no image";
  }
  return out;
}

std::string render_look(const Json& look) {
  if (arg_object(look, "changes") != nullptr) return render_look_changes(look);
  std::string out = look_header(look);
  out += "; element lines: role \"title\" ref =\"value\" [flags] x,y wxh\n";
  if (const Json* unavailable = arg_object(look, "changesUnavailable")) {
    out += arg_string(*unavailable, "message").value_or("") + ".\n";
  }
  if (const Json* outline = arg_object(look, "outline")) out += render_outline(*outline);
  return out;
}

std::string render_windows(const Json& listing) {
  const Json* records = arg_array(listing, "roots");
  if (!records) records = arg_array(listing, "windows");
  if (!records || records->empty()) return "No visible windows.\n";
  std::string out;
  for (const Json& w : *records) {
    out += arg_string(w, "rootRef").value_or("?") + ' ' +
           json_quoted(arg_string(w, "title").value_or("")) + " app " +
           json_quoted(arg_string(w, "appName").value_or("")) + " pid " +
           std::to_string(arg_u64(w, "pid").value_or(0)) + ' ' +
           arg_string(w, "kind").value_or("window") + " windowId " +
           std::to_string(arg_i64(w, "windowId").value_or(0));
    if (arg_bool(w, "isFocused").value_or(false)) out += " focused";
    if (arg_bool(w, "isMinimized").value_or(false)) out += " minimized";
    if (const Json* b = arg_object(w, "bounds")) {
      out += ' ' + rounded(*b, "x") + ',' + rounded(*b, "y") + ' ' + rounded(*b, "width") + 'x' +
             rounded(*b, "height");
    }
    out += '\n';
  }
  return out;
}

}  // namespace winhelper::mcp
