#pragma once
// Scoped looks: finding the scope element among the kept looks, and turning
// the outline of its subtree into the scoped look's outline.

#include <optional>
#include <string>

#include "common/result.h"
#include "context/look.h"
#include "protocol/request.h"
#include "context/helper_state.h"

namespace winhelper {

// The look that handed out the scope element, and the element's record.
struct LookScope {
  std::string scope_ref;
  Look owner;
  ElementRecord element;
};

// Searches only `base_look_id` when given, else every kept look from the
// newest. A ref not found, or one whose element belongs to another window
// than `root_window_id`, is `stale_ref` "Scope ref is stale or outside the
// target root". Takes the state lock for the search only.
Result<LookScope> find_look_scope(SharedState& shared, ClientSession session,
                                  const std::string& scope_ref,
                                  const std::optional<std::string>& base_look_id,
                                  std::int64_t root_window_id);

// `outline` is the root node built over the scope's subtree. Its first child
// (the scope element) becomes the outline, named by the scope ref, with the
// root's other children appended to its own; a root without children stays
// the outline.
Json scoped_outline(Json outline, const std::string& scope_ref);

}  // namespace winhelper
