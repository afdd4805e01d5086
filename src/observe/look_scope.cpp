#include "observe/look_scope.h"

namespace winhelper {

Result<LookScope> find_look_scope(SharedState& shared, ClientSession session,
                                  const std::string& scope_ref,
                                  const std::optional<std::string>& base_look_id,
                                  std::int64_t root_window_id) {
  std::optional<std::pair<Look, ElementRecord>> found;
  {
    auto state = shared.state.lock();
    if (!state) return state.take_error();
    found = (*state)->looks_of(session).resolve_scope(scope_ref, base_look_id);
  }
  if (!found || found->second.window_id != root_window_id)
    return HelperError{ErrorCode::StaleRef, "Scope ref is stale or outside the target root"};
  return LookScope{scope_ref, std::move(found->first), std::move(found->second)};
}

Json scoped_outline(Json outline, const std::string& scope_ref) {
  Json* children = outline.is_object() ? &outline["children"] : nullptr;
  if (children == nullptr || !children->is_array() || children->empty()) return outline;
  Json scope = std::move((*children)[0]);
  scope["ref"] = scope_ref;
  Json& scope_children = scope["children"];
  for (std::size_t i = 1; i < children->size(); ++i)
    scope_children.push_back(std::move((*children)[i]));
  return scope;
}

}  // namespace winhelper
