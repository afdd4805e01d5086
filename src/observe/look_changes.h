#pragma once
// What changed in a window between an earlier look and a new one. Elements
// are the same element when their runtime ids are equal: element numbers are
// never reused, so every look gives an element a new ref, and a change names
// both.

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "context/look.h"
#include "context/seen_element.h"

namespace winhelper {

enum class ChangedField { Title, Value, Rect, Flags };

struct ElementChange {
  std::string ref;          // in the new look
  std::string earlier_ref;  // in the earlier look
  std::vector<ChangedField> fields;  // in the order of ChangedField

  bool operator==(const ElementChange&) const = default;
};

struct LookChanges {
  std::vector<std::string> appeared;  // new refs, in outline order
  std::vector<std::string> gone;      // earlier refs, in the earlier outline's order
  std::vector<ElementChange> changed;  // in outline order
  // Elements in both looks with no field changed.
  std::size_t unchanged = 0;

  bool operator==(const LookChanges&) const = default;
};

// Why a look's elements cannot be compared with the earlier look's.
enum class SinceLookUnusable {
  Stale,        // no longer (or never) in the look history
  OtherWindow,  // a look at another window
  OtherScope,   // one look is scoped and the other not, or their scopes differ
                // (or cannot be told apart: no runtime id)
};

// An element with an empty runtime id matches nothing. When several
// elements of one look share a runtime id, the k-th of them in outline order
// matches the k-th in the other look.
LookChanges diff_seen_elements(const std::vector<SeenElement>& earlier,
                               const std::vector<SeenElement>& now);

// The changes from `earlier` (nullopt: not kept) to `now`, or why there are none.
std::variant<LookChanges, SinceLookUnusable> changes_since(const std::optional<Look>& earlier,
                                                           const Look& now);

const char* changed_field_name(ChangedField field);
const char* unusable_reason_name(SinceLookUnusable reason);
// One sentence for the host and the model, naming the earlier look.
std::string unusable_message(SinceLookUnusable reason, const std::string& since_look_id);

}  // namespace winhelper
