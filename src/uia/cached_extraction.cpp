#include "uia/cached_extraction.h"

#include <algorithm>
#include <map>
#include <utility>

#include "uia/cached_facts.h"
#include "uia/cached_tree.h"
#include "uia/session.h"

namespace winhelper::uia {
namespace {

// One examined element: its node in the structure and the element holding
// its cached facts (a full one, so its value can still be read directly).
struct Examined {
  int node = 0;
  Element* element = nullptr;
};

// An examined element whose value is to be read, and its record.
struct WantedValue {
  Element* element = nullptr;
  std::size_t record = 0;
  bool readable_not_password = false;
};

class CachedWalk {
 public:
  CachedWalk(Session& session, Element& root) : session_(session), root_(root) {}
  std::optional<ElementList> run();

 private:
  std::optional<CachedTree> light_tree();
  std::optional<std::vector<Examined>> examined_of_small_tree(const CachedTree& light);
  std::optional<std::vector<Examined>> examined_of_large_tree(const CachedTree& light);
  void read_values(const std::vector<WantedValue>& wanted, ElementList& records);
  static AncestorClimb cached_climb(const CachedTree& light, ControlView& view);

  Session& session_;
  Element& root_;
  // The control view, the filter of every request and search here.
  ConditionPtr view_;
  // Owners of the examined elements: the cached tree of a small subtree, or
  // the search result of a large one.
  std::optional<CachedTree> full_tree_;
  std::unique_ptr<ElementArray> full_array_;
  std::vector<ElementPtr> full_elements_;
};

// The first elements of the subtree, in its order: the ones the walk examines.
int examined_count(const CachedTree& light) {
  return std::min(static_cast<int>(light.nodes.size()), kReportedElementLimit);
}

// Each examined element's position by its runtime id. Nothing when the ids
// cannot tell the examined elements apart (unreadable, empty or repeated).
std::optional<std::map<RuntimeId, int>> examined_by_id(const CachedTree& light) {
  std::map<RuntimeId, int> index;
  for (int i = 0; i < examined_count(light); ++i) {
    const auto& id = light.nodes[static_cast<std::size_t>(i)].runtime_id;
    if (!id || id->empty() || !index.emplace(*id, i).second) return std::nullopt;
  }
  return index;
}

// Pairs elements fetched in full, in tree order, with their places among the
// examined ones. The fetch leaves out off-screen elements, so it answers an
// ordered selection of them; anything else means the tree changed between
// the requests.
class Pairing {
 public:
  explicit Pairing(std::map<RuntimeId, int> index) : index_(std::move(index)) {}
  std::optional<int> place_of(Element& element) {
    auto id = element.cached_runtime_id();
    if (!id) return std::nullopt;
    auto found = index_.find(id.value());
    if (found == index_.end() || found->second <= last_) return std::nullopt;
    last_ = found->second;
    return last_;
  }

 private:
  std::map<RuntimeId, int> index_;
  int last_ = -1;
};

// The elements with any of the runtime ids whose flag property reads `flag`.
// The ids come first, so a provider that stops at the first failing part of
// an AND works out the flag of those elements only.
std::optional<ConditionPtr> ids_with_flag(Session& session, const std::vector<RuntimeId>& ids,
                                          int flag_property, bool flag) {
  std::vector<ConditionPtr> owned;
  std::vector<Condition*> any;
  for (const RuntimeId& id : ids) {
    auto condition = session.create_runtime_id_condition(id);
    if (!condition) return std::nullopt;
    any.push_back(condition.value().get());
    owned.push_back(std::move(condition).value());
  }
  if (owned.empty()) return std::nullopt;
  // A single id is its own condition: an or condition combines two or more.
  Result<ConditionPtr> either = std::move(owned.front());
  if (any.size() > 1) either = session.create_or_condition(any);
  auto flagged = session.create_bool_condition(flag_property, flag);
  if (!either || !flagged) return std::nullopt;
  auto both = session.create_and_condition(*either.value(), *flagged.value());
  if (!both) return std::nullopt;
  return std::move(both).value();
}

std::optional<CachedTree> CachedWalk::light_tree() {
  // Runtime ids and the control-view flag of the whole subtree in the control
  // view (the one the element-by-element walk searches), as elements that
  // answer cached reads only. Nothing else is asked of every
  // element: a provider may answer even the off-screen state only by working
  // out the element's place, which is dear across a large list; it is asked
  // of the examined elements alone, with their facts.
  auto request = session_.create_cache_request(
      CacheRequestSpec{{property::kRuntimeId, property::kIsControlElement},
                       CacheScope::Subtree,
                       view_.get(),
                       ElementMode::None});
  if (!request) return std::nullopt;
  auto cached_root = root_.build_updated_cache(*request.value());
  if (!cached_root) return std::nullopt;
  // The scan needs the first 1200 elements and whether there are more.
  return walk_cached_tree(std::move(cached_root).value(), kScannedElementLimit + 1, false);
}

// A subtree within the reported limit is fetched whole, in full, through a
// filter that keeps only the control view's on-screen elements (off-screen
// ones are never reported, so they are not read in full). That view lists them
// in the order of the light tree; the runtime ids pair them up.
std::optional<std::vector<Examined>> CachedWalk::examined_of_small_tree(const CachedTree& light) {
  auto index = examined_by_id(light);
  if (!index) return std::nullopt;
  auto on_screen = session_.create_bool_condition(property::kIsOffscreen, false);
  if (!on_screen) return std::nullopt;
  auto filter = session_.create_and_condition(*view_, *on_screen.value());
  if (!filter) return std::nullopt;
  auto request = session_.create_cache_request(CacheRequestSpec{
      fact_properties(), CacheScope::Subtree, filter.value().get(), ElementMode::Full});
  if (!request) return std::nullopt;
  auto cached_root = root_.build_updated_cache(*request.value());
  if (!cached_root) return std::nullopt;
  full_tree_ = walk_cached_tree(std::move(cached_root).value(), kReportedElementLimit + 1, true);
  if (!full_tree_ || full_tree_->more) return std::nullopt;

  // The request's root is in its cache whatever its own state; reading its
  // facts drops it when it is off screen, as any other.
  Pairing pairing(std::move(index).value());
  std::vector<Examined> examined;
  for (const CachedNode& full : full_tree_->nodes) {
    auto place = pairing.place_of(*full.element);
    if (!place) return std::nullopt;
    examined.push_back(Examined{*place, full.element.get()});
  }
  if (examined.empty() || examined.front().node != 0) return std::nullopt;
  return examined;
}

// The examined elements of a larger subtree that are on screen, fetched in
// full by their runtime ids, so that no element past them, and no off-screen
// one, is read in full. Nothing when the ids cannot single them out.
std::optional<std::vector<Examined>> CachedWalk::examined_of_large_tree(const CachedTree& light) {
  auto index = examined_by_id(light);
  if (!index) return std::nullopt;
  std::vector<RuntimeId> ids;
  for (const auto& entry : *index) ids.push_back(entry.first);
  auto wanted = ids_with_flag(session_, ids, property::kIsOffscreen, false);
  auto request = session_.create_cache_request(
      CacheRequestSpec{fact_properties(), CacheScope::Element, view_.get(), ElementMode::Full});
  if (!wanted || !request) return std::nullopt;
  auto found = root_.find_all_subtree_build_cache(**wanted, *request.value());
  if (!found) return std::nullopt;
  full_array_ = std::move(found).value();
  auto length = full_array_->length();
  if (!length || length.value() > examined_count(light)) return std::nullopt;
  Pairing pairing(std::move(index).value());
  std::vector<Examined> examined;
  for (int k = 0; k < length.value(); ++k) {
    auto element = full_array_->element(k);
    if (!element) return std::nullopt;
    // The search keeps tree order; anything else means the tree changed.
    auto place = pairing.place_of(*element.value());
    if (!place) return std::nullopt;
    examined.push_back(Examined{*place, element.value().get()});
    full_elements_.push_back(std::move(element).value());
  }
  return examined;
}

// The value as the live walk reads it: through the value pattern, empty when
// it cannot be read.
std::string live_value(Element& element) {
  auto pattern = element.value_pattern();
  if (!pattern) return {};
  return pattern->value().value_or(std::string());
}

// Values come in one request whose condition itself leaves out password
// fields, so no password field is ever asked for its value. Elements that
// request cannot single out (no usable runtime id, an unreadable password
// flag) or that it did not answer unambiguously are read directly, as the
// live walk reads them.
void CachedWalk::read_values(const std::vector<WantedValue>& wanted, ElementList& records) {
  std::vector<RuntimeId> ids;
  for (const WantedValue& w : wanted) {
    const RuntimeId& id = records[w.record].runtime_id;
    if (w.readable_not_password && !id.empty()) ids.push_back(id);
  }
  std::map<std::string, std::vector<std::string>> answered;
  bool batch_failed = true;
  if (!ids.empty()) {
    auto both = ids_with_flag(session_, ids, property::kIsPassword, false);
    auto request = session_.create_cache_request(
        CacheRequestSpec{{property::kRuntimeId, property::kValueValue},
                         CacheScope::Element,
                         view_.get(),
                         ElementMode::None});
    if (both && request) {
      if (auto found = root_.find_all_subtree_build_cache(**both, *request.value())) {
        auto length = found.value()->length();
        batch_failed = !length;
        for (int i = 0; length && i < length.value(); ++i) {
          auto element = found.value()->element(i);
          if (!element) continue;
          auto id = element.value()->cached_runtime_id();
          if (!id) continue;
          answered[runtime_id_text(id.value())].push_back(
              element.value()->cached_string(property::kValueValue).value_or(std::string()));
        }
      }
    }
  }
  for (const WantedValue& w : wanted) {
    ExtractedElement& record = records[w.record];
    std::string text = runtime_id_text(record.runtime_id);
    bool batched = w.readable_not_password && !text.empty() && !batch_failed;
    auto found = answered.find(text);
    if (batched && found == answered.end()) continue;  // not answered: no longer a value to read
    if (batched && found->second.size() == 1) {
      record.value = found->second.front();
    } else {
      record.value = live_value(*w.element);
    }
  }
}

// The climb over the cached structure, through the control view; above the
// subtree's root its control-view ancestors are asked for live.
AncestorClimb CachedWalk::cached_climb(const CachedTree& light, ControlView& view) {
  return [&light, &view](int scanned, const std::function<bool(const RuntimeId&)>& reached) {
    int current = scanned;
    bool above_root = false;
    std::size_t above = 0;
    while (true) {
      std::optional<RuntimeId> id;
      if (!above_root) {
        current = view.parent_index(current);
        above_root = current < 0;
        if (!above_root)
          id = light.nodes[static_cast<std::size_t>(current)].runtime_id.value_or(RuntimeId{});
      }
      if (above_root) {
        id = view.root_ancestor(above++);
        if (!id) return;
      }
      if (reached(*id)) return;
    }
  };
}

std::optional<ElementList> CachedWalk::run() {
  auto control_view = control_view_condition(session_);
  if (!control_view) return std::nullopt;
  view_ = std::move(control_view).value();
  auto light = light_tree();
  if (!light) return std::nullopt;
  bool large = static_cast<int>(light->nodes.size()) > kReportedElementLimit;
  auto examined = large ? examined_of_large_tree(*light) : examined_of_small_tree(*light);
  if (!examined) return std::nullopt;

  auto walker = session_.control_view_walker();
  auto id_request = session_.create_cache_request(CacheRequestSpec{
      {property::kRuntimeId}, CacheScope::Element, view_.get(), ElementMode::Full});
  if (!walker || !id_request) return std::nullopt;
  ControlView view(*light, root_, *walker.value(), *id_request.value());

  ElementList records;
  std::vector<WantedValue> wanted;
  for (const Examined& e : *examined) {
    auto facts = cached_facts(*e.element);
    if (!facts) continue;
    ExtractedElement record = element_record(*facts);
    record.parent_runtime_id = view.parent_runtime_id(e.node);
    bool readable_not_password = false;
    if (value_wanted(*e.element, readable_not_password)) {
      wanted.push_back(WantedValue{e.element, records.size(), readable_not_password});
    }
    records.push_back(std::move(record));
  }
  read_values(wanted, records);
  if (large) {
    mark_omissions(
        static_cast<int>(light->nodes.size()), cached_climb(*light, view),
        [&light] { return light->nodes[0].runtime_id.value_or(RuntimeId{}); }, records);
  }
  return records;
}

}  // namespace

std::optional<ElementList> extract_cached(Session& session, Element& root) {
  return CachedWalk(session, root).run();
}

}  // namespace winhelper::uia
