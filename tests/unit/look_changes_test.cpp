// Changes since an earlier look: a generated corpus of random edits to a
// window's element tree, each followed by a look with sinceLookId whose
// changes are checked against a plain recomputation from the fake trees;
// the earlier looks that cannot be compared; and the matching rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/service_harness.h"
#include "observe/look_changes.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::FakeElement;

// What the outline shows of a fake element, field by field as a change
// names them.
struct Shown {
  std::string title;
  std::string value;
  ScreenRect rect;
  std::pair<bool, bool> flags;  // focusable, invoke
};

class ChangesCorpus {
 public:
  explicit ChangesCorpus(unsigned seed) : rng_(seed) {
    WindowHandle handle =
        h.windows.add({.title = "Form", .class_name = "FormWindow", .rect = kFrame});
    root_ = &h.uia.add_window(handle, "Form");
    root_->rect = kFrame;
    root_->automation_id = "root";
    for (int i = 0; i < 12; ++i) insert();
  }

  // One random edit of the tree.
  void edit() {
    switch (pick(7)) {
      case 0: insert(); break;
      case 1: remove(); break;
      case 2: move(); break;
      case 3: some_element().name = fresh("title"); break;
      case 4: change_value(); break;
      case 5: some_element().rect->right += 1 + pick(5); break;
      default: {
        FakeElement& e = some_element();
        e.keyboard_focusable = !e.keyboard_focusable.value_or(false);
      }
    }
  }

  // Identifier (automation id) to what the outline would show, for every
  // element in the live tree.
  std::map<std::string, Shown> shown() {
    std::map<std::string, Shown> out;
    for (FakeElement* e : fakes::fake_subtree(*root_)) {
      out[*e->automation_id] = {*e->name, e->value_pattern ? *e->value : "", *e->rect,
                                {*e->keyboard_focusable, e->invoke}};
    }
    return out;
  }

  fakes::ServiceHarness h;

 private:
  static constexpr ScreenRect kFrame{10, 20, 410, 320};

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::string fresh(const char* kind) { return kind + std::to_string(++names_); }

  std::vector<FakeElement*> below_root() {
    std::vector<FakeElement*> all = fakes::fake_subtree(*root_);
    all.erase(all.begin());
    return all;
  }
  FakeElement& some_element() {
    std::vector<FakeElement*> all = below_root();
    if (all.empty()) return insert();
    return *all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))];
  }

  FakeElement& insert() {
    std::vector<FakeElement*> all = fakes::fake_subtree(*root_);
    FakeElement& parent = *all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))];
    FakeElement& e = h.uia.add_child(parent, "element");
    e.automation_id = fresh("id");
    e.name = fresh("title");
    const int x = 20 + pick(300);
    const int y = 30 + pick(250);
    e.rect = ScreenRect{x, y, x + 10 + pick(60), y + 10 + pick(20)};
    if (pick(2) == 0) {
      e.control_type = 50004;  // edit
      e.value_pattern = true;
      e.value = fresh("value");
    } else {
      e.invoke = true;
    }
    return e;
  }

  static void detach(FakeElement& e) {
    auto& siblings = e.parent->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), &e));
  }

  void remove() {
    std::vector<FakeElement*> all = below_root();
    if (all.size() < 4) return;
    detach(*all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))]);
  }

  // Under another parent, outside its own subtree; nothing shown changes.
  void move() {
    FakeElement& e = some_element();
    std::vector<FakeElement*> own = fakes::fake_subtree(e);
    std::vector<FakeElement*> parents;
    for (FakeElement* p : fakes::fake_subtree(*root_)) {
      if (std::find(own.begin(), own.end(), p) == own.end()) parents.push_back(p);
    }
    FakeElement* parent = parents[static_cast<std::size_t>(pick(static_cast<int>(parents.size())))];
    detach(e);
    e.parent = parent;
    parent->children.push_back(&e);
  }

  void change_value() {
    for (FakeElement* e : below_root()) {
      if (e->value_pattern && pick(3) == 0) {
        e->value = fresh("value");
        return;
      }
    }
  }

  std::mt19937 rng_;
  FakeElement* root_ = nullptr;
  int names_ = 0;
};

// Identifier to ref, in outline order.
std::vector<std::pair<std::string, std::string>> refs_in(const Json& outline) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const Json& child : outline["children"]) {
    out.emplace_back(child["identifier"], child["ref"]);
    for (auto& below : refs_in(child)) out.push_back(std::move(below));
  }
  return out;
}

// The changes recomputed plainly from what the trees show before and after.
Json expected_changes(const std::string& since, const Json& outline_before,
                      const Json& outline_after, const std::map<std::string, Shown>& before,
                      const std::map<std::string, Shown>& after) {
  Json appeared = Json::array();
  Json changed = Json::array();
  Json gone = Json::array();
  std::size_t unchanged = 0;
  std::map<std::string, std::string> earlier_refs;
  for (const auto& [id, ref] : refs_in(outline_before)) {
    earlier_refs[id] = ref;
    if (!after.count(id)) gone.push_back(ref);
  }
  for (const auto& [id, ref] : refs_in(outline_after)) {
    if (!before.count(id)) {
      appeared.push_back(ref);
      continue;
    }
    const Shown& was = before.at(id);
    const Shown& now = after.at(id);
    Json fields = Json::array();
    if (was.title != now.title) fields.push_back("title");
    if (was.value != now.value) fields.push_back("value");
    if (!(was.rect == now.rect)) fields.push_back("rect");
    if (was.flags != now.flags) fields.push_back("flags");
    if (fields.empty()) {
      ++unchanged;
    } else {
      changed.push_back({{"earlierRef", earlier_refs.at(id)}, {"fields", fields}, {"ref", ref}});
    }
  }
  return {{"appeared", appeared}, {"changed", changed}, {"gone", gone},
          {"sinceLookId", since},  {"unchanged", unchanged}};
}

TEST(LookChanges, RandomTreeEditsGiveExactlyTheRecomputedChanges) {
  // How often each kind of change was reported, so the corpus is known to reach them all.
  std::map<std::string, int> reported;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    ChangesCorpus corpus(seed);
    Json earlier = fakes::ask(corpus.h, "look", R"({"rootRef":"@w1","includeImage":false})");
    ASSERT_EQ(error_of(earlier), "ok");
    std::map<std::string, Shown> before = corpus.shown();
    std::mt19937 counts(seed);
    for (int round = 0; round < 40; ++round) {
      const int edits = static_cast<int>(counts() % 4);  // none at times: nothing changes
      for (int i = 0; i < edits; ++i) corpus.edit();
      const std::string since = earlier["result"]["lookId"];
      Json now = fakes::ask(corpus.h, "look",
                            Json{{"rootRef", "@w1"}, {"includeImage", false}, {"sinceLookId", since}});
      ASSERT_EQ(error_of(now), "ok");
      std::map<std::string, Shown> after = corpus.shown();
      ASSERT_EQ(now["result"]["changes"],
                expected_changes(since, earlier["result"]["outline"], now["result"]["outline"],
                                 before, after))
          << "seed " << seed << " round " << round;
      const Json& changes = now["result"]["changes"];
      reported["appeared"] += static_cast<int>(changes["appeared"].size());
      reported["gone"] += static_cast<int>(changes["gone"].size());
      for (const Json& change : changes["changed"]) {
        for (const Json& field : change["fields"]) ++reported[field.get<std::string>()];
      }
      earlier = std::move(now);
      before = std::move(after);
    }
  }
  for (const char* kind : {"appeared", "gone", "title", "value", "rect", "flags"})
    EXPECT_GT(reported[kind], 0) << kind;
}

TEST(LookChanges, AnEarlierLookThatCannotBeComparedGivesTheWholeLookAndWhy) {
  fakes::ServiceHarness h;
  for (const char* title : {"One", "Two"}) {
    WindowHandle handle = h.windows.add({.title = title, .rect = ScreenRect{0, 0, 200, 100}});
    FakeElement& root = h.uia.add_window(handle, title);
    root.rect = ScreenRect{0, 0, 200, 100};
    h.uia.add_child(root, "button").rect = ScreenRect{10, 10, 50, 30};
  }
  auto look = [&](Json args) {
    args["includeImage"] = false;
    Json r = fakes::ask(h, "look", args);
    EXPECT_EQ(error_of(r), "ok") << args;
    return r["result"];
  };
  look({{"rootRef", "@w1"}});                                            // look_1
  look({{"rootRef", "@w2"}});                                            // look_2
  look({{"rootRef", "@w1"}, {"scopeRef", "win:look_1:@e2"}});            // look_3
  look({{"rootRef", "@w1"}, {"scopeRef", "win:look_1:@e1"}});            // look_4
  const std::pair<const char*, const char*> cases[] = {
      {"look_99", "stale"},      // never kept
      {"look_2", "otherWindow"},
      {"look_3", "otherScope"},  // scoped, and this look is not
  };
  for (const auto& [since, reason] : cases) {
    Json whole = look({{"rootRef", "@w1"}, {"sinceLookId", since}});
    EXPECT_FALSE(whole.contains("changes")) << since;
    EXPECT_EQ(whole["changesUnavailable"]["reason"], reason) << since;
    EXPECT_EQ(whole["changesUnavailable"]["sinceLookId"], since);
    EXPECT_EQ(whole["outline"]["children"][0]["children"].size(), 1u) << "the outline is whole";
  }
  EXPECT_EQ(look({{"rootRef", "@w1"}, {"sinceLookId", "look_99"}})["changesUnavailable"]["message"],
            "Look 'look_99' is not kept (only the last 8 looks are), so this is the whole look");
  // Scoped looks compare when their scope is the same element, and not when it is another.
  Json same_scope = look({{"rootRef", "@w1"}, {"scopeRef", "win:look_1:@e2"}, {"sinceLookId", "look_3"}});
  EXPECT_EQ(same_scope["changes"]["unchanged"], 1);
  EXPECT_EQ(look({{"rootRef", "@w1"}, {"scopeRef", "win:look_1:@e2"}, {"sinceLookId", "look_4"}})
                ["changesUnavailable"]["reason"],
            "otherScope");

  // The look this one's store evicts is still compared: it is read first.
  for (int i = 0; i < 8; ++i) look({{"rootRef", "@w1"}});
  Json history = look({{"rootRef", "@w1"}});
  const std::string oldest = "look_" + std::to_string(std::stoi(history["lookId"].get<std::string>().substr(5)) - 7);
  Json compared = look({{"rootRef", "@w1"}, {"sinceLookId", oldest}});
  EXPECT_EQ(compared["changes"]["unchanged"], 2) << compared;
}

SeenElement seen(const char* ref, std::vector<std::int32_t> runtime_id, const char* title = "") {
  SeenElement e;
  e.ref = ref;
  e.runtime_id = std::move(runtime_id);
  e.title = title;
  return e;
}

TEST(LookChanges, SharedRuntimeIdsMatchInOrderAndMissingOnesMatchNothing) {
  LookChanges changes = diff_seen_elements(
      {seen("a", {1}), seen("b", {1}), seen("c", {}), seen("d", {2})},
      {seen("A", {1}, "renamed"), seen("B", {1}), seen("C", {}), seen("E", {1})});
  LookChanges expected;
  expected.appeared = {"C", "E"};
  expected.gone = {"c", "d"};
  expected.changed = {{"A", "a", {ChangedField::Title}}};
  expected.unchanged = 1;
  EXPECT_EQ(changes, expected);
}

}  // namespace
}  // namespace winhelper
