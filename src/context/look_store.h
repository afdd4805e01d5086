#pragma once
// The look history: at most eight looks, evicted oldest-first by store time,
// looked up by exact id and exact element ref. Lives in HelperState; every
// member is called with the state lock held and only copies leave it.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "common/result.h"
#include "context/look.h"

namespace winhelper {

class LookStore {
 public:
  static constexpr std::size_t kCapacity = 8;

  // "look_<n>", numbered from 1; numbers are never reused, even when the
  // look that drew one is never stored.
  std::string next_look_id();

  // Keeps the look (replacing one under the same id) and evicts the oldest
  // stored looks beyond the bound.
  void store(const std::string& look_id, Look look);

  std::optional<Look> find(const std::string& look_id) const;

  // A copy of the record of `element_ref` in look `look_id`. A missing look
  // is `stale_look` with `stale_look_message` (callers word it differently);
  // a missing ref is `stale_ref` "Element reference is stale".
  Result<ElementRecord> resolve(const std::string& look_id, const std::string& element_ref,
                                const std::string& stale_look_message) const;

  // The look holding `element_ref` and its record: only `base_look_id` when
  // given, otherwise the newest kept look that holds it.
  std::optional<std::pair<Look, ElementRecord>> resolve_scope(
      const std::string& element_ref, const std::optional<std::string>& base_look_id) const;

  std::size_t size() const { return looks_.size(); }

 private:
  std::deque<std::string> order_;
  std::map<std::string, Look> looks_;
  std::uint64_t next_number_ = 1;
};

// A look built under a scope element takes over the frame, image size and
// image flag of the look that owns the scope, and all of its element refs
// (its own entries win), so the older refs resolve through the new look id.
void inherit_scope(Look& scoped, const Look& owner);

}  // namespace winhelper
