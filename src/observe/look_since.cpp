#include "observe/look_since.h"

#include "observe/look_access.h"

namespace winhelper {

Result<SinceLook> compare_since(SharedState& shared, const std::string& since_look_id,
                                const Look& now, ClientSession session) {
  Result<std::optional<Look>> earlier = find_look(shared, since_look_id, session);
  if (!earlier) return earlier.take_error();
  return SinceLook{since_look_id, changes_since(*earlier, now)};
}

void write_since(Json& result, const SinceLook& since) {
  if (const auto* reason = std::get_if<SinceLookUnusable>(&since.outcome)) {
    result["changesUnavailable"] = {{"message", unusable_message(*reason, since.look_id)},
                                    {"reason", unusable_reason_name(*reason)},
                                    {"sinceLookId", since.look_id}};
    return;
  }
  const LookChanges& changes = std::get<LookChanges>(since.outcome);
  Json changed = Json::array();
  for (const ElementChange& change : changes.changed) {
    Json fields = Json::array();
    for (ChangedField field : change.fields) fields.push_back(changed_field_name(field));
    changed.push_back(
        {{"earlierRef", change.earlier_ref}, {"fields", std::move(fields)}, {"ref", change.ref}});
  }
  result["changes"] = {{"appeared", changes.appeared},
                       {"changed", std::move(changed)},
                       {"gone", changes.gone},
                       {"sinceLookId", since.look_id},
                       {"unchanged", changes.unchanged}};
}

}  // namespace winhelper
