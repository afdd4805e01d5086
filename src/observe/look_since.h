#pragma once
// The `sinceLookId` step of a look: the changes since an earlier look, or
// why they cannot be told, and the result members that report them.

#include <string>
#include <variant>

#include "common/result.h"
#include "context/helper_state.h"
#include "context/look.h"
#include "observe/look_changes.h"
#include "protocol/request.h"

namespace winhelper {

struct SinceLook {
  std::string look_id;
  std::variant<LookChanges, SinceLookUnusable> outcome;
};

// Compares `now` with the kept look `since_look_id`. Call it before `now` is
// stored: storing may evict the earlier look. Takes the state lock for the
// copy only.
Result<SinceLook> compare_since(SharedState& shared, const std::string& since_look_id,
                                const Look& now, ClientSession session);

// Adds `changes` {appeared, changed, gone, sinceLookId, unchanged}, or
// `changesUnavailable` {message, reason, sinceLookId}, to a look result.
void write_since(Json& result, const SinceLook& since);

}  // namespace winhelper
