#pragma once
// Which element records of one poll satisfy a wait's filters.

#include <map>
#include <optional>
#include <string>

#include "uia/extraction.h"

namespace winhelper::uia {

struct WaitFilters {
  // Already lower-cased; matched as a substring.
  std::optional<std::string> text;
  // Matched exactly, letter case included.
  std::optional<std::string> role;
  // Already trimmed and lower-cased; matched exactly.
  std::optional<std::string> value;
  // Runtime id of the scope element; no scope when absent.
  std::optional<RuntimeId> scope;
  // With a scope: only the scope element itself, not its descendants.
  bool scope_exact = false;

  bool has_filter() const { return text || role || value; }
};

// Runtime id to the parent's runtime id.
using ParentMap = std::map<RuntimeId, RuntimeId>;

ParentMap build_parent_map(const ElementList& records);

// The walk up from a record compares at most this many ancestors, so a
// cyclic or very deep parent map cannot hold a poll.
inline constexpr int kAncestorLimit = 63;

bool within_scope(const RuntimeId& id, const RuntimeId& scope, bool exact,
                  const ParentMap& parents);

bool record_matches(const ExtractedElement& record, const WaitFilters& filters,
                    const ParentMap& parents);

}  // namespace winhelper::uia
