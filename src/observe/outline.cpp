#include "observe/outline.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace winhelper {
namespace {

using nlohmann::json;

const json* member(const json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::string string_or(const json& object, const char* key, const std::string& fallback) {
  const json* value = member(object, key);
  return value && value->is_string() ? value->get<std::string>() : fallback;
}

bool bool_of(const json& object, const char* key) {
  const json* value = member(object, key);
  return value && value->is_boolean() && value->get<bool>();
}

// `preferred` when that member is present (of any type), else `fallback`;
// true only for a bool true.
bool bool_preferring(const json& object, const char* preferred, const char* fallback) {
  if (member(object, preferred) != nullptr) return bool_of(object, preferred);
  return bool_of(object, fallback);
}

double number_or(const json& object, const char* key, double fallback) {
  const json* value = member(object, key);
  return value && value->is_number() ? value->get<double>() : fallback;
}

double size_of(const json& bounds, const char* long_key, const char* short_key) {
  if (const json* value = member(bounds, long_key); value && value->is_number()) {
    return value->get<double>();
  }
  return number_or(bounds, short_key, 1);
}

// Integers reduced to their low 32 bits; other entries skipped.
std::vector<std::int32_t> runtime_id_of(const json& raw, const char* key) {
  std::vector<std::int32_t> id;
  const json* array = member(raw, key);
  if (!array || !array->is_array()) return id;
  for (const json& entry : *array) {
    std::uint64_t bits;
    if (entry.is_number_unsigned()) {
      bits = entry.get<std::uint64_t>();
    } else if (entry.is_number_integer()) {
      bits = static_cast<std::uint64_t>(entry.get<std::int64_t>());
    } else {
      continue;
    }
    id.push_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
  }
  return id;
}

std::int64_t window_id_of(const json& root_record) {
  const json* value = member(root_record, "windowId");
  if (!value) return 0;
  if (value->is_number_unsigned()) return static_cast<std::int64_t>(value->get<std::uint64_t>());
  if (value->is_number_integer()) return value->get<std::int64_t>();
  return 0;
}

json empty_node() {
  return json{{"actions", json::array()},  {"canDecrement", false}, {"canFocus", false},
              {"canIncrement", false},     {"canPress", false},     {"canScroll", false},
              {"canSetValue", false},      {"children", json::array()},
              {"description", ""},         {"focused", false},      {"identifier", ""},
              {"isTextInput", false},      {"offscreen", false},    {"pictureOnly", false},
              {"rect", json::object()},    {"ref", ""},             {"role", "unknown"},
              {"subrole", ""},             {"text", json::array()}, {"title", ""},
              {"truncated", false},        {"value", ""}};
}

struct Converted {
  json node;
  std::vector<std::int32_t> runtime_id;
  std::vector<std::int32_t> parent_runtime_id;
};

Converted convert(const json& raw, const OutlineContext& context, const json& root_record,
                  std::map<std::string, ElementRecord>& elements) {
  static const json kNone = json::object();
  const json* bounds_member = member(raw, "bounds");
  const json& bounds = bounds_member && bounds_member->is_object() ? *bounds_member : kNone;
  const json* caps_member = member(raw, "capabilities");
  const json& caps = caps_member && caps_member->is_object() ? *caps_member : kNone;

  double x = number_or(bounds, "x", 0);
  double y = number_or(bounds, "y", 0);
  double width = std::max(size_of(bounds, "width", "w"), 1.0);
  double height = std::max(size_of(bounds, "height", "h"), 1.0);
  json rect{{"x", (x - context.frame_x) * context.scale_x},
            {"y", (y - context.frame_y) * context.scale_y},
            {"w", context.scale_x * width},
            {"h", context.scale_y * height}};

  std::string role = string_or(raw, "role", "unknown");
  std::string class_name = string_or(raw, "className", "");
  std::string automation_id = string_or(raw, "automationId", "");
  std::string label = string_or(raw, "label", "");
  std::string raw_value = string_or(raw, "value", "");
  bool is_password = bool_of(raw, "isPassword");
  bool can_press = bool_preferring(caps, "canPress", "canInvoke");
  bool can_set_value = bool_preferring(caps, "canSetValue", "canEditText");
  bool can_scroll = bool_of(caps, "canScroll");

  // A password field shows its label, never its value.
  std::string value = !is_password ? raw_value : std::string();
  std::string text = value.empty() ? label : value;

  std::string raw_ref = string_or(raw, "ref", "");
  std::string ref = raw_ref.empty() ? std::string() : "win:" + context.look_id + ":" + raw_ref;

  Converted out;
  out.runtime_id = runtime_id_of(raw, "runtimeId");
  out.parent_runtime_id = runtime_id_of(raw, "parentRuntimeId");

  json& node = out.node = empty_node();
  node["canFocus"] = bool_of(caps, "isKeyboardFocusable");
  node["canPress"] = can_press;
  node["canScroll"] = can_scroll;
  node["canSetValue"] = can_set_value;
  node["description"] = class_name;
  node["identifier"] = automation_id;
  node["isTextInput"] = role == "edit" || role == "document";
  node["offscreen"] = bool_of(caps, "isOffscreen");
  node["rect"] = rect;
  node["ref"] = ref;
  node["role"] = role;
  node["subrole"] = class_name;
  if (!text.empty()) {
    node["text"].push_back(json{{"confidence", 1}, {"rect", rect}, {"string", text}});
  }
  node["title"] = label;
  node["truncated"] = bool_of(raw, "truncated");
  node["value"] = value;

  if (!ref.empty()) {
    ElementRecord record;
    record.automation_id = automation_id;
    record.class_descriptor = class_name + " " + string_or(root_record, "subrole", "");
    record.runtime_id = out.runtime_id;
    record.window_id = window_id_of(root_record);
    record.x = x;
    record.y = y;
    record.width = width;
    record.height = height;
    record.is_password = is_password;
    record.can_press = can_press;
    record.can_set_value = can_set_value;
    record.can_scroll = can_scroll;
    elements[ref] = std::move(record);
  }
  return out;
}

// Depth-first assembly along the child lists, cutting cycles and depth.
class TreeBuilder {
 public:
  TreeBuilder(std::vector<Converted>& nodes, const std::vector<std::vector<std::size_t>>& children)
      : nodes_(nodes), children_(children) {}

  json build(std::size_t index) {
    json node = nodes_[index].node;
    if (path_.size() >= kOutlineDepthLimit ||
        std::find(path_.begin(), path_.end(), index) != path_.end()) {
      node["truncated"] = true;
      return node;
    }
    path_.push_back(index);
    json built = json::array();
    for (std::size_t child : children_[index]) built.push_back(build(child));
    node["children"] = std::move(built);
    path_.pop_back();
    return node;
  }

 private:
  std::vector<Converted>& nodes_;
  const std::vector<std::vector<std::size_t>>& children_;
  std::vector<std::size_t> path_;
};

json root_node(const OutlineContext& context, const json& root_record, const std::string& root_ref) {
  json node = empty_node();
  std::string kind = string_or(root_record, "kind", "window");
  node["ref"] = root_ref;
  node["role"] = string_or(root_record, "role", "Window");
  node["subrole"] = string_or(root_record, "subrole", "");
  node["title"] = string_or(root_record, "title", kind == "menu" ? "Menu" : "Window");
  node["focused"] = bool_of(root_record, "isFocused");
  node["rect"] = json{{"x", 0.0}, {"y", 0.0}, {"w", context.image_width}, {"h", context.image_height}};
  return node;
}

}  // namespace

json convert_element(const json& raw, const OutlineContext& context, const json& root_record,
                     std::map<std::string, ElementRecord>& elements) {
  return convert(raw, context, root_record, elements).node;
}

json build_outline(const json& raw_elements, const OutlineContext& context, const json& root_record,
                   const std::string& root_ref, std::map<std::string, ElementRecord>& elements) {
  std::vector<Converted> nodes;
  if (raw_elements.is_array()) {
    nodes.reserve(raw_elements.size());
    for (const json& raw : raw_elements) {
      nodes.push_back(convert(raw, context, root_record, elements));
    }
  }

  std::map<std::vector<std::int32_t>, std::size_t> by_runtime_id;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (!nodes[i].runtime_id.empty()) by_runtime_id[nodes[i].runtime_id] = i;
  }
  std::vector<std::vector<std::size_t>> children(nodes.size());
  std::vector<std::size_t> top_level;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    auto parent = by_runtime_id.find(nodes[i].parent_runtime_id);
    if (parent != by_runtime_id.end() && parent->second != i) {
      children[parent->second].push_back(i);
    } else {
      top_level.push_back(i);
    }
  }

  json root = root_node(context, root_record, root_ref);
  TreeBuilder builder(nodes, children);
  json& root_children = root["children"];
  for (std::size_t index : top_level) root_children.push_back(builder.build(index));
  return root;
}

}  // namespace winhelper
