#include "context/look_store.h"

#include "context/refs.h"

namespace winhelper {

std::string LookStore::next_look_id() { return format_look_id(next_number_++); }

void LookStore::store(const std::string& look_id, Look look) {
  looks_.insert_or_assign(look_id, std::move(look));
  order_.push_back(look_id);
  while (order_.size() > kCapacity) {
    std::string evicted = std::move(order_.front());
    order_.pop_front();
    // An id stored twice appears twice in the order; its look goes only with
    // the last of them, so a newer store is never evicted early.
    bool stored_again = false;
    for (const std::string& id : order_) {
      if (id == evicted) stored_again = true;
    }
    if (!stored_again) looks_.erase(evicted);
  }
}

std::optional<Look> LookStore::find(const std::string& look_id) const {
  auto it = looks_.find(look_id);
  if (it == looks_.end()) return std::nullopt;
  return it->second;
}

Result<ElementRecord> LookStore::resolve(const std::string& look_id,
                                         const std::string& element_ref,
                                         const std::string& stale_look_message) const {
  auto look = looks_.find(look_id);
  if (look == looks_.end()) return HelperError{ErrorCode::StaleLook, stale_look_message};
  auto element = look->second.elements.find(element_ref);
  if (element == look->second.elements.end()) return stale_ref_error();
  return element->second;
}

std::optional<std::pair<Look, ElementRecord>> LookStore::resolve_scope(
    const std::string& element_ref, const std::optional<std::string>& base_look_id) const {
  auto holding = [&](const std::string& look_id) -> std::optional<std::pair<Look, ElementRecord>> {
    auto look = looks_.find(look_id);
    if (look == looks_.end()) return std::nullopt;
    auto element = look->second.elements.find(element_ref);
    if (element == look->second.elements.end()) return std::nullopt;
    return std::make_pair(look->second, element->second);
  };
  if (base_look_id) return holding(*base_look_id);
  for (auto id = order_.rbegin(); id != order_.rend(); ++id) {
    if (auto found = holding(*id)) return found;
  }
  return std::nullopt;
}

void inherit_scope(Look& scoped, const Look& owner) {
  scoped.frame_x = owner.frame_x;
  scoped.frame_y = owner.frame_y;
  scoped.frame_width = owner.frame_width;
  scoped.frame_height = owner.frame_height;
  scoped.image_width = owner.image_width;
  scoped.image_height = owner.image_height;
  scoped.has_image = owner.has_image;
  for (const auto& [ref, record] : owner.elements) scoped.elements.emplace(ref, record);
}

}  // namespace winhelper
