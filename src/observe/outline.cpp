#include "observe/outline.h"

#include "windows/window_classes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace winhelper {
namespace {

using nlohmann::json;

json empty_node() {
  return json{{"actions", json::array()}, {"canDecrement", false},
              {"canFocus", false},        {"canIncrement", false},
              {"canPress", false},        {"canScroll", false},
              {"canSetValue", false},     {"children", json::array()},
              {"description", ""},        {"focused", false},
              {"identifier", ""},         {"isTextInput", false},
              {"offscreen", false},       {"pictureOnly", false},
              {"rect", json::object()},   {"ref", ""},
              {"role", "unknown"},        {"subrole", ""},
              {"text", json::array()},    {"title", ""},
              {"truncated", false},       {"value", ""}};
}

struct Converted {
  json node;
  std::vector<std::int32_t> runtime_id;
  std::vector<std::int32_t> parent_runtime_id;
  // What a later look compares; `depth` and a cut's truncation are set
  // where the node is placed.
  SeenElement seen;
};

// What the look remembers of an element it hands out a ref for; `width` and
// `height` are the bounds' sizes, at least 1.
ElementRecord look_record(const uia::ExtractedElement& raw, const WindowRecord& root_record,
                          double width, double height) {
  ElementRecord record;
  record.automation_id = raw.automation_id;
  record.control_type = raw.control_type;
  record.name = raw.label;
  record.class_descriptor = raw.class_name + " " + root_record.class_name;
  record.runtime_id = raw.runtime_id;
  record.window_id = root_record.window_id;
  record.x = static_cast<double>(raw.bounds.left);
  record.y = static_cast<double>(raw.bounds.top);
  record.width = width;
  record.height = height;
  record.is_password = raw.is_password;
  record.can_press = raw.can_press;
  record.can_set_value = raw.can_set_value;
  record.can_scroll = raw.can_scroll;
  return record;
}

Converted convert(const uia::ExtractedElement& raw, const OutlineContext& context,
                  const WindowRecord& root_record, std::map<std::string, ElementRecord>& elements) {
  const double x = static_cast<double>(raw.bounds.left);
  const double y = static_cast<double>(raw.bounds.top);
  const double width = std::max(static_cast<double>(raw.bounds.right - raw.bounds.left), 1.0);
  const double height = std::max(static_cast<double>(raw.bounds.bottom - raw.bounds.top), 1.0);
  json rect{{"x", (x - context.frame_x) * context.scale_x},
            {"y", (y - context.frame_y) * context.scale_y},
            {"w", context.scale_x * width},
            {"h", context.scale_y * height}};

  // A password field shows its label, never its value.
  std::string value = !raw.is_password ? raw.value : std::string();
  std::string text = value.empty() ? raw.label : value;
  std::string ref = raw.ref.empty() ? std::string() : "win:" + context.look_id + ":" + raw.ref;
  const bool text_input = raw.role == "edit" || raw.role == "document";

  Converted out;
  out.runtime_id = raw.runtime_id;
  out.parent_runtime_id = raw.parent_runtime_id;

  json& node = out.node = empty_node();
  node["canFocus"] = raw.keyboard_focusable;
  node["canPress"] = raw.can_press;
  node["canScroll"] = raw.can_scroll;
  node["canSetValue"] = raw.can_set_value;
  node["description"] = raw.class_name;
  node["identifier"] = raw.automation_id;
  node["isTextInput"] = text_input;
  node["rect"] = rect;
  node["ref"] = ref;
  node["role"] = raw.role;
  node["subrole"] = raw.class_name;
  if (!text.empty()) {
    node["text"].push_back(json{{"confidence", 1}, {"rect", rect}, {"string", text}});
  }
  node["title"] = raw.label;
  node["truncated"] = raw.truncated;
  node["value"] = value;

  if (!ref.empty()) elements[ref] = look_record(raw, root_record, width, height);

  SeenElement& seen = out.seen;
  seen.ref = ref;
  seen.runtime_id = raw.runtime_id;
  seen.title = raw.label;
  seen.value = value;
  seen.x = x - context.frame_x;
  seen.y = y - context.frame_y;
  seen.width = width;
  seen.height = height;
  seen.flags = {.can_press = raw.can_press,
                .can_set_value = raw.can_set_value,
                .can_scroll = raw.can_scroll,
                .can_focus = raw.keyboard_focusable,
                .text_input = text_input,
                .truncated = raw.truncated};
  return out;
}

// Depth-first assembly along the child lists, cutting cycles and depth.
class TreeBuilder {
 public:
  TreeBuilder(std::vector<Converted>& nodes, const std::vector<std::vector<std::size_t>>& children,
              std::vector<SeenElement>* seen)
      : nodes_(nodes), children_(children), seen_(seen) {}

  json build(std::size_t index) {
    json node = nodes_[index].node;
    const bool cut = path_.size() >= kOutlineDepthLimit ||
                     std::find(path_.begin(), path_.end(), index) != path_.end();
    if (cut) node["truncated"] = true;
    if (seen_ != nullptr && !nodes_[index].seen.ref.empty()) {
      SeenElement& seen = seen_->emplace_back(nodes_[index].seen);
      seen.depth = path_.size();
      seen.flags.truncated = seen.flags.truncated || cut;
    }
    if (cut) return node;
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
  std::vector<SeenElement>* seen_;
};

json root_node(const OutlineContext& context, const WindowRecord& root_record,
               const std::string& root_ref) {
  json node = empty_node();
  node["ref"] = root_ref;
  node["role"] = window_role(root_record.kind);
  node["subrole"] = root_record.class_name;
  node["title"] = root_record.title;
  node["focused"] = root_record.is_focused;
  node["rect"] =
      json{{"x", 0.0}, {"y", 0.0}, {"w", context.image_width}, {"h", context.image_height}};
  return node;
}

}  // namespace

json build_outline(const uia::ElementList& extracted, const OutlineContext& context,
                   const WindowRecord& root_record, const std::string& root_ref,
                   std::map<std::string, ElementRecord>& elements,
                   std::vector<SeenElement>* seen) {
  std::vector<Converted> nodes;
  nodes.reserve(extracted.size());
  for (const uia::ExtractedElement& raw : extracted) {
    nodes.push_back(convert(raw, context, root_record, elements));
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
  TreeBuilder builder(nodes, children, seen);
  json& root_children = root["children"];
  for (std::size_t index : top_level) root_children.push_back(builder.build(index));
  return root;
}

}  // namespace winhelper
