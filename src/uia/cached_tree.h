#pragma once
// A subtree read through one cache request, in the order of a subtree search
// (pre-order: an element, then its children's subtrees in order), with what
// the walk needs of its structure: each element's runtime id and raw parent,
// and the control view over it.

#include <optional>
#include <string>
#include <vector>

#include "uia/uia_port.h"

namespace winhelper::uia {

struct CachedNode {
  ElementPtr element;  // kept only when asked for
  int raw_parent = -1;
  std::optional<RuntimeId> runtime_id;  // nullopt: unreadable
  bool control = false;                 // in the control view
};

struct CachedTree {
  std::vector<CachedNode> nodes;
  // The walk stopped at its limit with further elements left.
  bool more = false;
};

// Walks the cached tree below `root` (which was fetched with children cached
// down the whole subtree, runtime ids and IsControlElement requested), at
// most `limit` elements. Nothing when the cached tree cannot be
// read whole.
std::optional<CachedTree> walk_cached_tree(ElementPtr root, std::size_t limit, bool keep_elements);

// The control view of a cached tree: an element's control-view parent is its
// nearest ancestor in the control view. Where that lies above the tree's
// root, the root's own control-view ancestors are asked for live, once each,
// and only when needed.
class ControlView {
 public:
  ControlView(const CachedTree& tree, Element& live_root, TreeWalker& walker,
              CacheRequest& id_request);

  // The node index of the control-view parent, or -1 when it lies above the
  // root.
  int parent_index(int node);

  // The runtime id of the root's control-view ancestor at `level` (0: its
  // parent), empty when unreadable; nothing when the chain ended before.
  std::optional<RuntimeId> root_ancestor(std::size_t level);

  // The control-view parent's runtime id; empty when there is none or it
  // cannot be read.
  RuntimeId parent_runtime_id(int node);

 private:
  const CachedTree& tree_;
  Element& live_root_;
  TreeWalker& walker_;
  CacheRequest& id_request_;
  std::vector<std::optional<int>> parents_;
  std::vector<RuntimeId> root_ancestors_;
  ElementPtr last_ancestor_;
  bool chain_ended_ = false;
};

}  // namespace winhelper::uia
