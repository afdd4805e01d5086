#pragma once
// Look store operations that take the state lock themselves, for commands
// that need one table operation and nothing else under the lock.

#include <optional>
#include <string>

#include "common/result.h"
#include "context/look.h"
#include "context/helper_state.h"

namespace winhelper {

Result<std::string> draw_look_id(SharedState& shared);
// A poisoned lock drops the look.
Status store_look(SharedState& shared, const std::string& look_id, Look look,
                  ClientSession session);
Result<std::optional<Look>> find_look(SharedState& shared, const std::string& look_id,
                                      ClientSession session);

}  // namespace winhelper
