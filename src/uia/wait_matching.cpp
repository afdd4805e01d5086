#include "uia/wait_matching.h"

#include "common/lowercase.h"
#include "common/text.h"

namespace winhelper::uia {

namespace {

std::string string_member(const Json& record, const char* key) {
  if (!record.is_object()) return {};
  auto it = record.find(key);
  if (it == record.end() || !it->is_string()) return {};
  return it->get<std::string>();
}

const Json* array_member(const Json& record, const char* key) {
  if (!record.is_object()) return nullptr;
  auto it = record.find(key);
  if (it == record.end() || !it->is_array()) return nullptr;
  return &*it;
}

// The texts a person would search for, joined by single blanks.
std::string searchable_text(const Json& record) {
  std::string joined;
  for (const char* key : {"value", "label", "name", "title"}) {
    std::string part = string_member(record, key);
    if (part.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += part;
  }
  return to_lower_utf8(joined);
}

}  // namespace

std::string runtime_id_json_text(const Json& runtime_id) {
  return runtime_id.dump(-1, ' ', false, Json::error_handler_t::replace);
}

ParentMap build_parent_map(const ElementList& records) {
  ParentMap parents;
  for (const Json& record : records) {
    const Json* id = array_member(record, "runtimeId");
    const Json* parent = array_member(record, "parentRuntimeId");
    if (id && parent) parents[runtime_id_json_text(*id)] = runtime_id_json_text(*parent);
  }
  return parents;
}

bool within_scope(const std::string& id_text, const std::string& scope, bool exact,
                  const ParentMap& parents) {
  if (id_text == scope) return true;
  if (exact) return false;
  std::string current = id_text;
  for (int compared = 0; compared < kAncestorLimit; ++compared) {
    auto it = parents.find(current);
    if (it == parents.end() || it->second == current) return false;
    current = it->second;
    if (current == scope) return true;
  }
  return false;
}

bool record_matches(const Json& record, const WaitFilters& filters, const ParentMap& parents) {
  if (filters.scope) {
    const Json* id = array_member(record, "runtimeId");
    if (!id) return false;
    if (!within_scope(runtime_id_json_text(*id), *filters.scope, filters.scope_exact, parents)) {
      return false;
    }
  }
  if (filters.text && searchable_text(record).find(*filters.text) == std::string::npos) {
    return false;
  }
  if (filters.role && string_member(record, "role") != *filters.role) return false;
  if (filters.value) {
    std::string value = string_member(record, "value");
    if (to_lower_utf8(trim_unicode_whitespace(value)) != *filters.value) return false;
  }
  return true;
}

}  // namespace winhelper::uia
