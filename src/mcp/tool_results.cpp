#include "mcp/tool_results.h"

#include <string>

#include "mcp/jsonrpc.h"
#include "mcp/outline_text.h"

namespace winhelper::mcp {

namespace {

Json text_block(std::string text) {
  return {{"type", "text"}, {"text", std::move(text)}};
}

// Marks the password fields of an outline for its text.
void mark_passwords(Json& node, const std::set<std::string>& refs) {
  if (!node.is_object()) return;
  if (auto ref = node.find("ref"); ref != node.end() && ref->is_string() && refs.contains(*ref)) {
    node["isPassword"] = true;
  }
  if (auto children = node.find("children"); children != node.end() && children->is_array()) {
    for (Json& child : *children) mark_passwords(child, refs);
  }
}

// The image travels once, as an image block; the structured copy of the look
// keeps the image's size and type but not its data. The text names password
// fields, so that a model does not try to read them.
Json look_result(Json look, const std::set<std::string>& password_refs) {
  Json content = Json::array();
  if (auto image = look.find("image"); image != look.end() && image->is_object()) {
    auto data = image->find("jpegBase64");
    if (data != image->end() && data->is_string()) {
      content.push_back({{"type", "image"},
                         {"data", *data},
                         {"mimeType", image->value("mimeType", "image/png")}});
      image->erase(data);
    }
  }
  if (password_refs.empty()) {
    content.push_back(text_block(render_look(look)));
  } else {
    Json shown = look;
    if (auto outline = shown.find("outline"); outline != shown.end()) {
      mark_passwords(*outline, password_refs);
    }
    content.push_back(text_block(render_look(shown)));
  }
  return {{"content", std::move(content)}, {"structuredContent", std::move(look)}};
}

}  // namespace

Json tool_error_result(std::string_view code, std::string_view message) {
  return {{"content", Json::array({text_block(std::string(code) + ": " + std::string(message))})},
          {"isError", true}};
}

Json tool_result(const Tool& tool, const Response& response,
                 const std::set<std::string>& password_refs) {
  if (const auto* error = std::get_if<HelperError>(&response.body)) {
    return tool_error_result(error_code_name(error->code), error->message);
  }
  Json result = std::get<Json>(response.body);
  if (!result.is_object()) {
    // Structured content must be an object; every command answers with one.
    return {{"content", Json::array({text_block(dump_json(result))})}};
  }
  switch (tool.rendering) {
    case Rendering::Look:
      return look_result(std::move(result), password_refs);
    case Rendering::Windows:
      return {{"content", Json::array({text_block(render_windows(result))})},
              {"structuredContent", std::move(result)}};
    case Rendering::Json:
      break;
  }
  return {{"content", Json::array({text_block(dump_json(result))})},
          {"structuredContent", std::move(result)}};
}

}  // namespace winhelper::mcp
