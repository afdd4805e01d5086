#include "uia/wait_matching.h"

#include "common/lowercase.h"
#include "common/text.h"

namespace winhelper::uia {

namespace {

// The texts a person would search for, joined by single blanks.
std::string searchable_text(const ExtractedElement& record) {
  std::string joined;
  for (const std::string* part : {&record.value, &record.label}) {
    if (part->empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += *part;
  }
  return to_lower_utf8(joined);
}

}  // namespace

ParentMap build_parent_map(const ElementList& records) {
  ParentMap parents;
  for (const ExtractedElement& record : records) {
    parents[record.runtime_id] = record.parent_runtime_id;
  }
  return parents;
}

bool within_scope(const RuntimeId& id, const RuntimeId& scope, bool exact,
                  const ParentMap& parents) {
  if (id == scope) return true;
  if (exact) return false;
  RuntimeId current = id;
  for (int compared = 0; compared < kAncestorLimit; ++compared) {
    auto it = parents.find(current);
    if (it == parents.end() || it->second == current) return false;
    current = it->second;
    if (current == scope) return true;
  }
  return false;
}

bool record_matches(const ExtractedElement& record, const WaitFilters& filters,
                    const ParentMap& parents) {
  if (filters.scope &&
      !within_scope(record.runtime_id, *filters.scope, filters.scope_exact, parents)) {
    return false;
  }
  if (filters.text && searchable_text(record).find(*filters.text) == std::string::npos) {
    return false;
  }
  if (filters.role && record.role != *filters.role) return false;
  if (filters.value && to_lower_utf8(trim_unicode_whitespace(record.value)) != *filters.value) {
    return false;
  }
  return true;
}

}  // namespace winhelper::uia
