#include "fakes/fake_uia.h"

#include <atomic>
#include <memory>

namespace winhelper::fakes {
namespace {

using namespace uia;

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

// Logs the call, fails when told to, else applies the pattern's own effect
// and then the scripted reaction.
Status action(FakeUia& uia, FakeElement& e, const std::string& step,
                 const std::function<void()>& effect = {}) {
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
  FakeCondition(FakeUia& uia, Live live, std::optional<std::string> id)
      : Tracked(uia, std::move(live)), automation_id(std::move(id)) {}
  std::optional<std::string> automation_id;  // nullopt: the true condition
};

class FakeElementObject;

ElementPtr wrap(FakeUia& uia, Live live, FakeElement& e);

class FakeArray final : public ElementArray, Tracked {
 public:
  FakeArray(FakeUia& uia, Live live, std::vector<FakeElement*> items) : Tracked(uia, std::move(live)), items_(std::move(items)) {}
  Result<int> length() override {
    if (uia_.length_failure) return uia_failure(*uia_.length_failure);
    if (uia_.length_override) return *uia_.length_override;
    return static_cast<int>(items_.size());
  }
  Result<ElementPtr> element(int index) override {
    uia_.log("GetElement(" + std::to_string(index) + ")");
    auto failure = uia_.get_element_failures.find(index);
    if (failure != uia_.get_element_failures.end()) return uia_failure(failure->second);
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
      return uia_failure("The parameter is incorrect. (0x80070057)");
    }
    return wrap(uia_, live_, *items_[static_cast<std::size_t>(index)]);
  }

 private:
  std::vector<FakeElement*> items_;
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
  Result<int> toggle_state() override { return readable(e_.toggle_state); }

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
  Result<bool> is_selected() override { return readable(e_.selected); }

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
  Result<std::string> default_action() override { return readable(e_.default_action); }
  Status do_default_action() override { return action(uia_, e_, "DoDefaultAction"); }

 private:
  FakeElement& e_;
};

class FakeValue final : public ValuePattern, Tracked {
 public:
  FakeValue(FakeUia& uia, Live live, FakeElement& e) : Tracked(uia, std::move(live)), e_(e) {}
  Result<std::string> value() override {
    uia_.log("CurrentValue:" + e_.debug_name);
    return readable(e_.value);
  }
  Result<bool> is_read_only() override { return readable(e_.read_only); }
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
  Result<std::string> document_text() override { return readable(e_.document_text); }

 private:
  FakeElement& e_;
};

class FakeElementObject final : public Element, Tracked {
 public:
  FakeElementObject(FakeUia& uia, Live live, FakeElement& element) : Tracked(uia, std::move(live)), e(element) {}
  FakeElement& e;

  Result<RuntimeId> runtime_id() override { return readable(e.runtime_id); }
  Result<int> control_type() override { return readable(e.control_type); }
  Result<std::string> name() override { return readable(e.name); }
  Result<std::string> automation_id() override { return readable(e.automation_id); }
  Result<std::string> class_name() override { return readable(e.class_name); }
  Result<ScreenRect> bounding_rectangle() override {
    if (auto f = e.failures.find("CurrentBoundingRectangle"); f != e.failures.end()) {
      return uia_failure(f->second);
    }
    return readable(e.rect);
  }
  Result<bool> is_offscreen() override { return readable(e.offscreen); }
  Result<bool> is_enabled() override { return readable(e.enabled); }
  Result<bool> is_keyboard_focusable() override { return readable(e.keyboard_focusable); }
  Result<bool> is_password() override { return readable(e.password); }
  Result<bool> property_bool(int id) override {
    switch (id) {
      case property::kIsInvokeAvailable: return e.invoke;
      case property::kIsToggleAvailable: return e.toggle;
      case property::kIsSelectionItemAvailable: return e.selection_item;
      case property::kIsExpandCollapseAvailable: return e.expand_collapse;
      case property::kIsLegacyAccessibleAvailable: return e.legacy;
      case property::kIsValueAvailable: return e.value_pattern;
      case property::kIsTextAvailable: return e.text_pattern;
      case property::kIsScrollAvailable: return e.scroll;
      default: return uia_failure("unknown property");
    }
  }

  Result<std::unique_ptr<ElementArray>> find_all_subtree(Condition& condition) override {
    uia_.log("FindAll");
    if (uia_.find_all_failure) return uia_failure(*uia_.find_all_failure);
    auto& fake = dynamic_cast<FakeCondition&>(condition);
    std::vector<FakeElement*> items;
    for (FakeElement* item : fake_subtree(e)) {
      if (!fake.automation_id || item->automation_id == fake.automation_id) items.push_back(item);
    }
    return std::unique_ptr<ElementArray>(std::make_unique<FakeArray>(uia_, live_, std::move(items)));
  }
  Result<ElementPtr> find_first_subtree(Condition& condition) override {
    uia_.log("FindFirst");
    auto& fake = dynamic_cast<FakeCondition&>(condition);
    for (FakeElement* item : fake_subtree(e)) {
      if (!fake.automation_id || item->automation_id == fake.automation_id) return wrap(uia_, live_, *item);
    }
    return uia_failure("0x00000000");
  }

  Status set_focus() override { return action(uia_, e, "SetFocus"); }

  std::unique_ptr<InvokePattern> invoke_pattern() override {
    return e.invoke ? std::make_unique<FakeInvoke>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<TogglePattern> toggle_pattern() override {
    return e.toggle ? std::make_unique<FakeToggle>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<SelectionItemPattern> selection_item_pattern() override {
    return e.selection_item ? std::make_unique<FakeSelection>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<ExpandCollapsePattern> expand_collapse_pattern() override {
    return e.expand_collapse ? std::make_unique<FakeExpand>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<LegacyAccessiblePattern> legacy_accessible_pattern() override {
    return e.legacy ? std::make_unique<FakeLegacy>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<ValuePattern> value_pattern() override {
    return e.value_pattern ? std::make_unique<FakeValue>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<ScrollPattern> scroll_pattern() override {
    return e.scroll ? std::make_unique<FakeScroll>(uia_, live_, e) : nullptr;
  }
  std::unique_ptr<TextPattern> text_pattern() override {
    return e.text_pattern ? std::make_unique<FakeText>(uia_, live_, e) : nullptr;
  }
};

ElementPtr wrap(FakeUia& uia, Live live, FakeElement& e) {
  return std::make_unique<FakeElementObject>(uia, std::move(live), e);
}

class FakeWalker final : public TreeWalker, Tracked {
 public:
  FakeWalker(FakeUia& uia, Live live) : Tracked(uia, std::move(live)) {}
  Result<ElementPtr> parent(Element& element) override {
    FakeElement& e = dynamic_cast<FakeElementObject&>(element).e;
    FakeElement* parent = e.walker_parent ? *e.walker_parent : e.parent;
    if (parent == nullptr) return uia_failure("0x00000000");
    return wrap(uia_, live_, *parent);
  }
};

class FakeSession final : public Session {
 public:
  explicit FakeSession(FakeUia& uia) : uia_(uia), live_(std::make_shared<std::atomic<int>>(0)) {}
  ~FakeSession() override { uia_.session_closed(live_->load()); }

  Result<ElementPtr> element_from_handle(std::int64_t handle) override {
    if (uia_.element_from_handle_failure) return uia_failure(*uia_.element_from_handle_failure);
    auto it = uia_.windows().find(handle);
    if (it == uia_.windows().end()) return uia_failure("Invalid window handle. (0x80070578)");
    return wrap(uia_, live_, *it->second);
  }
  Result<ElementPtr> element_from_point(std::int32_t x, std::int32_t y) override {
    uia_.record_point(x, y);
    if (uia_.element_from_point_failure) return uia_failure(*uia_.element_from_point_failure);
    auto it = uia_.elements_at_points.find({x, y});
    if (it == uia_.elements_at_points.end()) return uia_failure("0x00000000");
    return wrap(uia_, live_, *it->second);
  }
  Result<std::unique_ptr<TreeWalker>> control_view_walker() override {
    if (uia_.walker_failure) return uia_failure(*uia_.walker_failure);
    return std::unique_ptr<TreeWalker>(std::make_unique<FakeWalker>(uia_, live_));
  }
  Result<ConditionPtr> create_true_condition() override {
    if (uia_.true_condition_failure) return uia_failure(*uia_.true_condition_failure);
    return ConditionPtr(std::make_unique<FakeCondition>(uia_, live_, std::nullopt));
  }
  Result<ConditionPtr> create_automation_id_condition(const std::string& id) override {
    return ConditionPtr(std::make_unique<FakeCondition>(uia_, live_, id));
  }

 private:
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
  return uia::OpenResult{std::make_unique<FakeSession>(*this), {}};
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

void FakeUia::log(std::string call) {
  std::lock_guard<std::mutex> hold(log_mutex_);
  calls_.push_back(std::move(call));
}

std::vector<std::string> FakeUia::calls() const {
  std::lock_guard<std::mutex> hold(log_mutex_);
  return calls_;
}

}  // namespace winhelper::fakes
