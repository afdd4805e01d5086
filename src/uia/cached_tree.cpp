#include "uia/cached_tree.h"

#include "uia/session.h"

namespace winhelper::uia {
namespace {

struct Frame {
  std::unique_ptr<ElementArray> children;
  int length = 0;
  int next = 0;
  int node = 0;
};

// Reads one element's structure facts and queues its cached children.
bool enter(Element& element, int raw_parent, std::vector<Frame>& stack, CachedTree& tree) {
  CachedNode node;
  node.raw_parent = raw_parent;
  if (auto id = element.cached_runtime_id()) node.runtime_id = std::move(id).value();
  auto control = element.cached_bool(property::kIsControlElement);
  node.control = control && control.value();
  tree.nodes.push_back(std::move(node));

  auto children = element.cached_children();
  if (!children) return false;
  auto length = children.value()->length();
  if (!length || length.value() < 0) return false;
  stack.push_back(Frame{std::move(children).value(), length.value(), 0,
                        static_cast<int>(tree.nodes.size()) - 1});
  return true;
}

}  // namespace

std::optional<CachedTree> walk_cached_tree(ElementPtr root, std::size_t limit, bool keep_elements) {
  CachedTree tree;
  std::vector<Frame> stack;
  if (!enter(*root, -1, stack, tree)) return std::nullopt;
  if (keep_elements) tree.nodes.back().element = std::move(root);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next == frame.length) {
      stack.pop_back();
      continue;
    }
    if (tree.nodes.size() >= limit) {
      tree.more = true;
      break;
    }
    auto child = frame.children->element(frame.next++);
    if (!child) return std::nullopt;
    int parent = frame.node;  // `frame` may move as the stack grows
    if (!enter(*child.value(), parent, stack, tree)) return std::nullopt;
    if (keep_elements) tree.nodes[tree.nodes.size() - 1].element = std::move(child).value();
  }
  return tree;
}

ControlView::ControlView(const CachedTree& tree, Element& live_root, TreeWalker& walker,
                         CacheRequest& id_request)
    : tree_(tree),
      live_root_(live_root),
      walker_(walker),
      id_request_(id_request),
      parents_(tree.nodes.size()) {}

int ControlView::parent_index(int node) {
  auto& known = parents_[static_cast<std::size_t>(node)];
  if (known) return *known;
  int up = tree_.nodes[static_cast<std::size_t>(node)].raw_parent;
  while (up > 0 && !tree_.nodes[static_cast<std::size_t>(up)].control) {
    up = tree_.nodes[static_cast<std::size_t>(up)].raw_parent;
  }
  // Above the root, or the root itself outside the control view.
  if (up < 0 || (up == 0 && !tree_.nodes[0].control)) up = -1;
  known = up;
  return up;
}

std::optional<RuntimeId> ControlView::root_ancestor(std::size_t level) {
  while (root_ancestors_.size() <= level && !chain_ended_) {
    Element& from = last_ancestor_ ? *last_ancestor_ : live_root_;
    auto parent = parent_of(walker_, from, &id_request_);
    if (!parent) {
      chain_ended_ = true;
      break;
    }
    root_ancestors_.push_back(runtime_id_or_empty(*parent.value()));
    last_ancestor_ = std::move(parent).value();
  }
  if (level < root_ancestors_.size()) return root_ancestors_[level];
  return std::nullopt;
}

RuntimeId ControlView::parent_runtime_id(int node) {
  int parent = parent_index(node);
  if (parent >= 0) {
    const auto& id = tree_.nodes[static_cast<std::size_t>(parent)].runtime_id;
    return id ? *id : RuntimeId{};
  }
  return root_ancestor(0).value_or(RuntimeId{});
}

}  // namespace winhelper::uia
