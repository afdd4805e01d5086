#pragma once
// Which element records of one poll satisfy a wait's filters. Records are
// read tolerantly: a missing or non-string member is the empty string, and
// runtime ids are compared by their compact JSON text ("[42,7]").

#include <map>
#include <optional>
#include <string>

#include "protocol/request.h"
#include "uia/extraction.h"

namespace winhelper::uia {

struct WaitFilters {
  // Already lower-cased; matched as a substring.
  std::optional<std::string> text;
  // Matched exactly, letter case included.
  std::optional<std::string> role;
  // Already trimmed and lower-cased; matched exactly.
  std::optional<std::string> value;
  // Runtime id text of the scope element; no scope when absent.
  std::optional<std::string> scope;
  // With a scope: only the scope element itself, not its descendants.
  bool scope_exact = false;

  bool has_filter() const { return text || role || value; }
};

// Runtime id text to the parent's runtime id text.
using ParentMap = std::map<std::string, std::string>;

// Compact JSON text of a runtime id array.
std::string runtime_id_json_text(const Json& runtime_id);

ParentMap build_parent_map(const ElementList& records);

// The walk up from a record compares at most this many ancestors, so a
// cyclic or very deep parent map cannot hold a poll.
inline constexpr int kAncestorLimit = 63;

bool within_scope(const std::string& id_text, const std::string& scope, bool exact,
                  const ParentMap& parents);

bool record_matches(const Json& record, const WaitFilters& filters, const ParentMap& parents);

}  // namespace winhelper::uia
