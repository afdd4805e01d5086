#include "fakes/fake_uia.h"

#include <atomic>
#include <memory>
#include <set>

#include "fakes/fake_uia_cache.h"

namespace winhelper::fakes {
namespace {

using namespace uia;
using uia::Result;
using uia::Status;

// The objects of one session alive right now.
using Live = std::shared_ptr<std::atomic<int>>;

class Tracked {
 public:
  Tracked(FakeUia& uia, Live live) : uia_(uia), live_(std::move(live)) { ++*live_; }
  ~Tracked() { --*live_; }
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;

 protected:
  FakeUia& uia_;
  Live live_;
};

template <typename T>
Result<T> readable(const std::optional<T>& value) {
  if (value) return *value;
  return uia_failure("read failed (0x80004005)");
}

// A live read: one round trip.
template <typename T>
Result<T> live_read(FakeUia& uia, const std::optional<T>& value) {
  uia.count_round_trip();
  return readable(value);
}

// Logs the call, fails when told to, else applies the pattern's own effect
// and then the scripted reaction.
Status action(FakeUia& uia, FakeElement& e, const std::string& step,
              const std::function<void()>& effect = {}) {
  uia.count_round_trip();
  uia.log(step + ":" + e.debug_name);
  auto failure = e.failures.find(step);
  if (failure != e.failures.end()) return uia_failure(failure->second);
  if (effect) effect();
  auto reaction = e.reactions.find(step);
  if (reaction != e.reactions.end()) reaction->second(e);
  return ok_status();
}

class FakeCondition final : public Condition, Tracked {
 public:
  FakeCondition(FakeUia& uia, Live live, FakeMatch m)
      : Tracked(uia, std::move(live)), match(std::move(m)) {}
  FakeMatch match;
};

const FakeMatch& match_of(Condition& condition) {
  return dynamic_cast<FakeCondition&>(condition).match;
}

// UI Automation's default tree filter.
bool in_control_view(FakeUia&, const FakeElement& e) {
  return e.control_element.value_or(false);
}

class FakeCacheRequest final : public CacheRequest, Tracked {
 public:
  FakeCacheRequest(FakeUia& uia, Live live, FakeRequestSpec s)
      : Tracked(uia, std::move(live)), spec(std::move(s)) {}
  FakeRequestSpec spec;
};

const FakeRequestSpec& spec_of(CacheRequest& request) {
  return dynamic_cast<FakeCacheRequest&>(request).spec;
}

const std::string kCachedOnly = "The element holds cached values only (0x80131509)";
const std::string kNotCached = "The value was not requested in the cache (0x80131509)";

class FakeElementObject;

ElementPtr wrap(FakeUia& uia, Live live, FakeElement& e,
                std::shared_ptr<const Snapshot> cache = nullptr);

class FakeArray final : public ElementArray, Tracked {
 public:
  using Item = std::pair<FakeElement*, std::shared_ptr<const Snapshot>>;
  FakeArray(FakeUia& uia, Live live, std::vector<Item> items)
      : Tracked(uia, std::move(live)), items_(std::move(items)) {}
  Result<int> length() override {
    uia_.count_local_call();
    if (uia_.length_failure) return uia_failure(*uia_.length_failure);
    if (uia_.length_override) return *uia_.length_override;
    return static_cast<int>(items_.size());
  }
  Result<ElementPtr> element(int index) override {
    uia_.count_local_call();
    uia_.log("GetElement(" + std::to_string(index) + ")");
    auto failure = uia_.get_element_failures.find(index);
    if (failure != uia_.get_element_failures.end()) return uia_failure(failure->second);
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
      return uia_failure("The parameter is incorrect. (0x80070057)");
    }
    const Item& item = items_[static_cast<std::size_t>(index)];
    return wrap(uia_, live_, *item.first, item.second);
  }

 private:
  std::vector<Item> items_;
};

class FakeInvoke final : public InvokePattern, Tracked {
 public:
  FakeInvoke(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Status invoke() override { return action(uia_, e_, "Invoke"); }

 private:
  FakeElement& e_;
};

class FakeToggle final : public TogglePattern, Tracked {
 public:
  FakeToggle(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Status toggle() override {
    return action(uia_, e_, "Toggle", [this] {
      if (e_.toggle_state) e_.toggle_state = *e_.toggle_state == 0 ? 1 : 0;
    });
  }
  Result<int> toggle_state() override { return live_read(uia_, e_.toggle_state); }

 private:
  FakeElement& e_;
};

class FakeSelection final : public SelectionItemPattern, Tracked {
 public:
  FakeSelection(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Status select() override {
    return action(uia_, e_, "Select", [this] {
      if (e_.selected) e_.selected = true;
    });
  }
  Result<bool> is_selected() override { return live_read(uia_, e_.selected); }

 private:
  FakeElement& e_;
};

class FakeExpand final : public ExpandCollapsePattern, Tracked {
 public:
  FakeExpand(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Status expand() override { return action(uia_, e_, "Expand"); }

 private:
  FakeElement& e_;
};

class FakeLegacy final : public LegacyAccessiblePattern, Tracked {
 public:
  FakeLegacy(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Result<std::string> default_action() override { return live_read(uia_, e_.default_action); }
  Status do_default_action() override { return action(uia_, e_, "DoDefaultAction"); }

 private:
  FakeElement& e_;
};

class FakeValue final : public ValuePattern, Tracked {
 public:
  FakeValue(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Result<std::string> value() override {
    uia_.log("CurrentValue:" + e_.debug_name);
    if (e_.password.value_or(false)) uia_.count_password_value_read();
    return live_read(uia_, e_.value);
  }
  Result<bool> is_read_only() override { return live_read(uia_, e_.read_only); }
  Status set_value(const std::string& text) override {
    return action(uia_, e_, "SetValue", [this, &text] {
      uia_.log("SetValue text:" + text);
      if (e_.value_write_takes_effect) e_.value = text;
    });
  }

 private:
  FakeElement& e_;
};

class FakeScroll final : public ScrollPattern, Tracked {
 public:
  FakeScroll(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Status scroll(ScrollAmount horizontal, ScrollAmount vertical) override {
    uia_.log("Scroll amounts:" + std::to_string(static_cast<int>(horizontal)) + "," +
             std::to_string(static_cast<int>(vertical)));
    return action(uia_, e_, "Scroll");
  }

 private:
  FakeElement& e_;
};

class FakeText final : public TextPattern, Tracked {
 public:
  FakeText(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  // As a provider counts: in UTF-16 units, a bounded read cut after max_length of them.
  Result<std::string> document_text(int max_length) override {
    e_.document_reads.push_back(max_length);
    auto text = live_read(uia_, e_.document_text);
    if (!text || max_length < 0) return text;
    std::string& whole = text.value();
    std::size_t cut = 0;
    for (int units = 0; cut < whole.size(); ++cut) {
      auto b = static_cast<unsigned char>(whole[cut]);
      if ((b & 0xC0) == 0x80) continue;
      units += (b & 0xF8) == 0xF0 ? 2 : 1;
      if (units > max_length) break;
    }
    whole.resize(cut);
    return text;
  }
  Result<std::int64_t> document_characters() override {
    auto text = live_read(uia_, e_.document_text);
    if (!text) return std::move(text).take_error();
    std::int64_t units = 0;
    for (unsigned char b : text.value()) units += ((b & 0xC0) != 0x80) + ((b & 0xF8) == 0xF0);
    return units;
  }

 private:
  FakeElement& e_;
};

// A search sees the view of the request's filter; without a request, the
// default request's, the control view.
std::vector<FakeArray::Item> search(FakeUia& uia, FakeElement& root, Condition& condition,
                                    const FakeRequestSpec* request, bool first_only) {
  std::vector<FakeArray::Item> items;
  FakeMatch view = request ? request->filter : FakeMatch(in_control_view);
  for (FakeElement* item : fake_subtree(root)) {
    if (!view(uia, *item) || !match_of(condition)(uia, *item)) continue;
    items.emplace_back(item, request ? take_snapshot(uia, *item, *request) : nullptr);
    if (first_only) break;
  }
  return items;
}

class FakeElementObject final : public Element, Tracked {
 public:
  FakeElementObject(FakeUia& uia, Live live, FakeElement& element,
                    std::shared_ptr<const Snapshot> cache)
      : Tracked(uia, std::move(live)), e(element), cache_(std::move(cache)) {}
  FakeElement& e;

  Result<RuntimeId> runtime_id() override { return live(e.runtime_id); }
  Result<int> control_type() override { return live(e.control_type); }
  Result<std::string> name() override { return live(e.name); }
  Result<std::string> automation_id() override { return live(e.automation_id); }
  Result<std::string> class_name() override { return live(e.class_name); }
  Result<ScreenRect> bounding_rectangle() override {
    if (auto f = e.failures.find("CurrentBoundingRectangle"); f != e.failures.end()) {
      uia_.count_round_trip();
      return uia_failure(f->second);
    }
    return live(e.rect);
  }
  Result<bool> is_offscreen() override { return live(e.offscreen); }
  Result<bool> is_enabled() override { return live(e.enabled); }
  Result<bool> is_keyboard_focusable() override { return live(e.keyboard_focusable); }
  Result<bool> is_password() override { return live(e.password); }
  // Only the pattern-availability properties are served as booleans.
  Result<bool> property_bool(int id) override {
    static const std::set<int> kServed = {
        property::kIsExpandCollapseAvailable, property::kIsInvokeAvailable,
        property::kIsScrollAvailable,         property::kIsSelectionItemAvailable,
        property::kIsTextAvailable,           property::kIsToggleAvailable,
        property::kIsValueAvailable,          property::kIsLegacyAccessibleAvailable};
    std::optional<bool> value;
    if (kServed.count(id) != 0) value = std::get<bool>(*fake_property(uia_, e, id));
    return live(value);
  }

  Result<std::unique_ptr<ElementArray>> find_all_subtree(Condition& condition) override {
    return find_all(condition, nullptr);
  }
  Result<ElementPtr> find_first_subtree(Condition& condition) override {
    return find_first(condition, nullptr);
  }
  Result<std::unique_ptr<ElementArray>> find_all_subtree_build_cache(
      Condition& condition, CacheRequest& request) override {
    if (uia_.cache_failure) return counted_failure(*uia_.cache_failure);
    return find_all(condition, &spec_of(request));
  }
  Result<ElementPtr> find_first_subtree_build_cache(Condition& condition,
                                                    CacheRequest& request) override {
    if (uia_.cache_failure) return counted_failure(*uia_.cache_failure);
    return find_first(condition, &spec_of(request));
  }
  Result<ElementPtr> build_updated_cache(CacheRequest& request) override {
    if (auto refused = live_call()) return *refused;
    if (uia_.cache_failure) return uia_failure(*uia_.cache_failure);
    return wrap(uia_, live_, e, take_snapshot(uia_, e, spec_of(request)));
  }

  Result<bool> cached_bool(int id) override { return cached<bool>(id); }
  Result<int> cached_int(int id) override { return cached<int>(id); }
  Result<std::string> cached_string(int id) override { return cached<std::string>(id); }
  Result<RuntimeId> cached_runtime_id() override { return cached<RuntimeId>(property::kRuntimeId); }
  Result<ScreenRect> cached_bounding_rectangle() override {
    return cached<ScreenRect>(property::kBoundingRectangle);
  }
  Result<std::unique_ptr<ElementArray>> cached_children() override {
    uia_.count_local_call();
    if (!cache_ || !cache_->children_cached) return uia_failure(kNotCached);
    return std::unique_ptr<ElementArray>(
        std::make_unique<FakeArray>(uia_, live_, cache_->children));
  }

  Status set_focus() override {
    if (cache_ && !cache_->full_mode) return counted_failure(kCachedOnly);
    return action(uia_, e, "SetFocus");
  }

  std::unique_ptr<InvokePattern> invoke_pattern() override { return pattern<FakeInvoke>(e.invoke); }
  std::unique_ptr<TogglePattern> toggle_pattern() override { return pattern<FakeToggle>(e.toggle); }
  std::unique_ptr<SelectionItemPattern> selection_item_pattern() override {
    return pattern<FakeSelection>(e.selection_item);
  }
  std::unique_ptr<ExpandCollapsePattern> expand_collapse_pattern() override {
    return pattern<FakeExpand>(e.expand_collapse);
  }
  std::unique_ptr<LegacyAccessiblePattern> legacy_accessible_pattern() override {
    return pattern<FakeLegacy>(e.legacy);
  }
  std::unique_ptr<ValuePattern> value_pattern() override {
    return pattern<FakeValue>(e.value_pattern);
  }
  std::unique_ptr<ScrollPattern> scroll_pattern() override { return pattern<FakeScroll>(e.scroll); }
  std::unique_ptr<TextPattern> text_pattern() override { return pattern<FakeText>(e.text_pattern); }

 private:
  // Counts the round trip; refuses when the element answers cached reads only.
  std::optional<UiaError> live_call() {
    uia_.count_round_trip();
    if (cache_ && !cache_->full_mode) return uia_failure(kCachedOnly);
    return std::nullopt;
  }
  template <typename T>
  Result<T> live(const std::optional<T>& value) {
    if (auto refused = live_call()) return *refused;
    return readable(value);
  }
  UiaError counted_failure(const std::string& text) {
    uia_.count_round_trip();
    return uia_failure(text);
  }
  template <typename T>
  Result<T> cached(int id) {
    uia_.count_local_call();
    if (!cache_) return uia_failure(kNotCached);
    auto found = cache_->properties.find(id);
    if (found == cache_->properties.end()) return uia_failure(kNotCached);
    if (!found->second || !std::holds_alternative<T>(*found->second)) {
      return uia_failure("read failed (0x80004005)");
    }
    return std::get<T>(*found->second);
  }
  Result<std::unique_ptr<ElementArray>> find_all(Condition& condition,
                                                 const FakeRequestSpec* request) {
    if (auto refused = live_call()) return *refused;
    uia_.log("FindAll");
    if (uia_.find_all_failure) return uia_failure(*uia_.find_all_failure);
    return std::unique_ptr<ElementArray>(
        std::make_unique<FakeArray>(uia_, live_, search(uia_, e, condition, request, false)));
  }
  Result<ElementPtr> find_first(Condition& condition, const FakeRequestSpec* request) {
    if (auto refused = live_call()) return *refused;
    uia_.log("FindFirst");
    auto found = search(uia_, e, condition, request, true);
    if (found.empty()) return uia_failure("0x00000000");
    return wrap(uia_, live_, *found.front().first, found.front().second);
  }
  template <typename Pattern>
  std::unique_ptr<Pattern> pattern(bool offered) {
    if (live_call() || !offered) return nullptr;
    return std::make_unique<Pattern>(uia_, live_, e);
  }

  std::shared_ptr<const Snapshot> cache_;
};

ElementPtr wrap(FakeUia& uia, Live live, FakeElement& e, std::shared_ptr<const Snapshot> cache) {
  return std::make_unique<FakeElementObject>(uia, std::move(live), e, std::move(cache));
}

class FakeWalker final : public TreeWalker, Tracked {
 public:
  FakeWalker(FakeUia& uia, Live live) : Tracked(uia, std::move(live)) {}
  Result<ElementPtr> parent(Element& element) override { return climb(element, nullptr); }
  Result<ElementPtr> parent_build_cache(Element& element, CacheRequest& request) override {
    if (uia_.cache_failure) {
      uia_.count_round_trip();
      return uia_failure(*uia_.cache_failure);
    }
    return climb(element, &spec_of(request));
  }

 private:
  Result<ElementPtr> climb(Element& element, const FakeRequestSpec* request) {
    uia_.count_round_trip();
    FakeElement* up = control_view_parent(dynamic_cast<FakeElementObject&>(element).e);
    if (up == nullptr) return uia_failure("0x00000000");
    return wrap(uia_, live_, *up, request ? take_snapshot(uia_, *up, *request) : nullptr);
  }
};

class FakeSession final : public Session {
 public:
  explicit FakeSession(FakeUia& uia) : uia_(uia), live_(std::make_shared<std::atomic<int>>(0)) {}
  ~FakeSession() override { uia_.session_closed(live_->load()); }

  Result<ElementPtr> element_from_handle(std::int64_t handle) override {
    return from_handle(handle, nullptr);
  }
  Result<ElementPtr> element_from_point(std::int32_t x, std::int32_t y) override {
    return from_point(x, y, nullptr);
  }
  Result<ElementPtr> element_from_handle_build_cache(std::int64_t handle,
                                                     CacheRequest& request) override {
    if (uia_.cache_failure) return counted_failure(*uia_.cache_failure);
    return from_handle(handle, &spec_of(request));
  }
  Result<ElementPtr> element_from_point_build_cache(std::int32_t x, std::int32_t y,
                                                    CacheRequest& request) override {
    if (uia_.cache_failure) return counted_failure(*uia_.cache_failure);
    return from_point(x, y, &spec_of(request));
  }
  Result<std::unique_ptr<TreeWalker>> control_view_walker() override {
    uia_.count_local_call();
    if (uia_.walker_failure) return uia_failure(*uia_.walker_failure);
    return std::unique_ptr<TreeWalker>(std::make_unique<FakeWalker>(uia_, live_));
  }
  Result<ConditionPtr> create_true_condition() override {
    return condition([](FakeUia&, const FakeElement&) { return true; });
  }
  Result<ConditionPtr> create_automation_id_condition(const std::string& id) override {
    return condition([id](FakeUia&, const FakeElement& e) { return e.automation_id == id; });
  }
  Result<ConditionPtr> create_runtime_id_condition(const RuntimeId& id) override {
    return condition([id](FakeUia&, const FakeElement& e) { return e.runtime_id == id; });
  }
  Result<ConditionPtr> create_bool_condition(int property_id, bool value) override {
    if (property_id == property::kIsControlElement && uia_.control_view_condition_failure) {
      return uia_failure(*uia_.control_view_condition_failure);
    }
    return condition([property_id, value](FakeUia& uia, const FakeElement& e) {
      auto actual = fake_property(uia, e, property_id);
      return actual && std::holds_alternative<bool>(*actual) && std::get<bool>(*actual) == value;
    });
  }
  Result<ConditionPtr> create_and_condition(Condition& first, Condition& second) override {
    return condition([a = match_of(first), b = match_of(second)](
                         FakeUia& uia, const FakeElement& e) { return a(uia, e) && b(uia, e); });
  }
  Result<ConditionPtr> create_or_condition(const std::vector<Condition*>& conditions) override {
    // Two or more conditions, as CreateOrConditionFromNativeArray documents.
    if (conditions.size() < 2) return uia_failure("E_INVALIDARG (0x80070057)");
    std::vector<FakeMatch> any;
    for (Condition* c : conditions) any.push_back(match_of(*c));
    return condition([any](FakeUia& uia, const FakeElement& e) {
      for (const FakeMatch& m : any) {
        if (m(uia, e)) return true;
      }
      return false;
    });
  }
  Result<CacheRequestPtr> create_cache_request(const CacheRequestSpec& spec) override {
    uia_.count_local_call();
    FakeRequestSpec fake{
        spec.properties, static_cast<int>(spec.scope),
        spec.tree_filter ? match_of(*spec.tree_filter) : FakeMatch(in_control_view),
        spec.mode == ElementMode::Full};
    return CacheRequestPtr(std::make_unique<FakeCacheRequest>(uia_, live_, std::move(fake)));
  }

 private:
  Result<ConditionPtr> condition(FakeMatch match) {
    uia_.count_local_call();
    return ConditionPtr(std::make_unique<FakeCondition>(uia_, live_, std::move(match)));
  }
  UiaError counted_failure(const std::string& text) {
    uia_.count_round_trip();
    return uia_failure(text);
  }
  Result<ElementPtr> from_handle(std::int64_t handle, const FakeRequestSpec* request) {
    uia_.count_round_trip();
    if (uia_.element_from_handle_failure) return uia_failure(*uia_.element_from_handle_failure);
    auto it = uia_.windows().find(handle);
    if (it == uia_.windows().end()) return uia_failure("Invalid window handle. (0x80070578)");
    return wrap(uia_, live_, *it->second,
                request ? take_snapshot(uia_, *it->second, *request) : nullptr);
  }
  Result<ElementPtr> from_point(std::int32_t x, std::int32_t y, const FakeRequestSpec* request) {
    uia_.count_round_trip();
    uia_.record_point(x, y);
    if (uia_.element_from_point_failure) return uia_failure(*uia_.element_from_point_failure);
    auto it = uia_.elements_at_points.find({x, y});
    if (it == uia_.elements_at_points.end()) return uia_failure("0x00000000");
    return wrap(uia_, live_, *it->second,
                request ? take_snapshot(uia_, *it->second, *request) : nullptr);
  }

  FakeUia& uia_;
  Live live_;
};

void collect(FakeElement& e, std::vector<FakeElement*>& out) {
  out.push_back(&e);
  for (FakeElement* child : e.children) collect(*child, out);
}

}  // namespace

std::vector<FakeElement*> fake_subtree(FakeElement& root) {
  std::vector<FakeElement*> out;
  collect(root, out);
  return out;
}

FakeElement* control_view_parent(const FakeElement& element) {
  FakeElement* up = element.parent;
  while (up != nullptr && !up->control_element.value_or(false)) up = up->parent;
  return up;
}
FakeElement& FakeUia::add_window(std::int64_t handle, std::string name) {
  FakeElement& e = elements_.emplace_back();
  e.debug_name = std::move(name);
  e.control_type = 50032;
  e.runtime_id = uia::RuntimeId{42, static_cast<std::int32_t>(handle)};
  windows_[handle] = &e;
  return e;
}

FakeElement& FakeUia::add_child(FakeElement& parent, std::string name) {
  FakeElement& e = elements_.emplace_back();
  e.debug_name = std::move(name);
  e.runtime_id = uia::RuntimeId{7, static_cast<std::int32_t>(elements_.size())};
  e.parent = &parent;
  parent.children.push_back(&e);
  return e;
}

uia::OpenResult FakeUia::open() {
  if (open_failure) return uia::OpenResult{nullptr, *open_failure};
  ++opened_;
  return uia::OpenResult{std::make_unique<FakeSession>(*this), {}, bounds};
}

void FakeUia::session_closed(int objects_alive) {
  ++closed_;
  leaked_at_close_ += objects_alive;
}

void FakeUia::record_point(int x, int y) {
  std::lock_guard<std::mutex> hold(log_mutex_);
  last_point_ = std::make_pair(x, y);
}

std::optional<std::pair<int, int>> FakeUia::last_point() const {
  std::lock_guard<std::mutex> hold(log_mutex_);
  return last_point_;
}

void FakeUia::count_provider_read(int property_id) {
  std::lock_guard<std::mutex> lock(log_mutex_);
  ++provider_reads_[property_id];
}

long FakeUia::provider_reads(int property_id) const {
  std::lock_guard<std::mutex> lock(log_mutex_);
  auto found = provider_reads_.find(property_id);
  return found == provider_reads_.end() ? 0 : found->second;
}

void FakeUia::log(std::string call) {
  std::lock_guard<std::mutex> hold(log_mutex_);
  calls_.push_back(std::move(call));
}

std::vector<std::string> FakeUia::calls() const {
  std::lock_guard<std::mutex> hold(log_mutex_);
  return calls_;
}

}  // namespace winhelper::fakes
