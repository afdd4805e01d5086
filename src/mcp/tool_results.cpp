#include "mcp/tool_results.h"

#include <string>

#include "mcp/jsonrpc.h"
#include "mcp/outline_text.h"

namespace winhelper::mcp {

namespace {

Json text_block(std::string text) {
  return {{"type", "text"}, {"text", std::move(text)}};
}

// The image travels once, as an image block; the structured copy of the look
// keeps the image's size and type but not its data.
Json look_result(Json look) {
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
  content.push_back(text_block(render_look(look)));
  return {{"content", std::move(content)}, {"structuredContent", std::move(look)}};
}

}  // namespace

Json tool_error_result(std::string_view code, std::string_view message) {
  return {{"content", Json::array({text_block(std::string(code) + ": " + std::string(message))})},
          {"isError", true}};
}

Json tool_result(const Tool& tool, const Response& response) {
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
      return look_result(std::move(result));
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
