#include "observe/look_changes.h"

#include <deque>
#include <map>

#include "context/look_store.h"

namespace winhelper {

namespace {

std::vector<ChangedField> changed_fields(const SeenElement& earlier, const SeenElement& now) {
  std::vector<ChangedField> fields;
  if (earlier.title != now.title) fields.push_back(ChangedField::Title);
  if (earlier.value != now.value) fields.push_back(ChangedField::Value);
  if (earlier.x != now.x || earlier.y != now.y || earlier.width != now.width ||
      earlier.height != now.height)
    fields.push_back(ChangedField::Rect);
  if (earlier.flags != now.flags) fields.push_back(ChangedField::Flags);
  return fields;
}

}  // namespace

LookChanges diff_seen_elements(const std::vector<SeenElement>& earlier,
                               const std::vector<SeenElement>& now) {
  // Earlier elements by runtime id, each id's in outline order.
  std::map<std::vector<std::int32_t>, std::deque<std::size_t>> waiting;
  for (std::size_t i = 0; i < earlier.size(); ++i) {
    if (!earlier[i].runtime_id.empty()) waiting[earlier[i].runtime_id].push_back(i);
  }
  std::vector<bool> matched(earlier.size(), false);
  LookChanges out;
  for (const SeenElement& element : now) {
    auto same = waiting.find(element.runtime_id);
    if (element.runtime_id.empty() || same == waiting.end() || same->second.empty()) {
      out.appeared.push_back(element.ref);
      continue;
    }
    const std::size_t index = same->second.front();
    same->second.pop_front();
    matched[index] = true;
    std::vector<ChangedField> fields = changed_fields(earlier[index], element);
    if (fields.empty()) {
      ++out.unchanged;
    } else {
      out.changed.push_back({element.ref, earlier[index].ref, std::move(fields)});
    }
  }
  for (std::size_t i = 0; i < earlier.size(); ++i) {
    if (!matched[i]) out.gone.push_back(earlier[i].ref);
  }
  return out;
}

std::variant<LookChanges, SinceLookUnusable> changes_since(const std::optional<Look>& earlier,
                                                           const Look& now) {
  if (!earlier) return SinceLookUnusable::Stale;
  if (earlier->window_id != now.window_id) return SinceLookUnusable::OtherWindow;
  // A scope element without a runtime id cannot be told to be the same.
  if (earlier->scope != now.scope || (now.scope && now.scope->empty()))
    return SinceLookUnusable::OtherScope;
  return diff_seen_elements(earlier->seen, now.seen);
}

const char* changed_field_name(ChangedField field) {
  switch (field) {
    case ChangedField::Title:
      return "title";
    case ChangedField::Value:
      return "value";
    case ChangedField::Rect:
      return "rect";
    case ChangedField::Flags:
      return "flags";
  }
  return "?";
}

const char* unusable_reason_name(SinceLookUnusable reason) {
  switch (reason) {
    case SinceLookUnusable::Stale:
      return "stale";
    case SinceLookUnusable::OtherWindow:
      return "otherWindow";
    case SinceLookUnusable::OtherScope:
      return "otherScope";
  }
  return "?";
}

std::string unusable_message(SinceLookUnusable reason, const std::string& since_look_id) {
  const std::string look = "'" + since_look_id + "'";
  switch (reason) {
    case SinceLookUnusable::Stale:
      return "Look " + look + " is not kept (only the last " +
             std::to_string(LookStore::kCapacity) + " looks are), so this is the whole look";
    case SinceLookUnusable::OtherWindow:
      return "Look " + look + " is of another window, so this is the whole look";
    case SinceLookUnusable::OtherScope:
      return "Look " + look + " observed another scope, so this is the whole look";
  }
  return {};
}

}  // namespace winhelper
