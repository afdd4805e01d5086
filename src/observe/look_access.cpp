#include "observe/look_access.h"

namespace winhelper {

Result<std::string> draw_look_id(SharedState& shared) {
  auto state = shared.state.lock();
  if (!state) return state.take_error();
  return (*state)->looks.next_look_id();
}

Status store_look(SharedState& shared, const std::string& look_id, Look look,
                  ClientSession session) {
  auto state = shared.state.lock();
  if (!state) return state.take_error();
  (*state)->looks_of(session).store(look_id, std::move(look));
  return ok_status();
}

Result<std::optional<Look>> find_look(SharedState& shared, const std::string& look_id,
                                      ClientSession session) {
  auto state = shared.state.lock();
  if (!state) return state.take_error();
  return (*state)->looks_of(session).find(look_id);
}

}  // namespace winhelper
