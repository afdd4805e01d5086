#include <gtest/gtest.h>

#include "uia/wait_matching.h"

namespace winhelper::uia {
namespace {

Json element(std::vector<int> id, std::vector<int> parent, Json extra = Json::object()) {
  extra["runtimeId"] = id;
  extra["parentRuntimeId"] = parent;
  return extra;
}

bool matches(const Json& record, const WaitFilters& filters, const ElementList& all = {}) {
  return record_matches(record, filters, build_parent_map(all));
}

TEST(WaitMatching, TextRoleAndValueRules) {
  Json save_as = element({1}, {0}, {{"label", "Save As"}, {"role", "Button"}});
  Json lower = element({2}, {0}, {{"label", "save"}, {"role", "button"}});
  Json answer = element({3}, {0}, {{"value", "  42 "}, {"label", "Answer"}});
  Json empty = Json::object();

  WaitFilters text{.text = "save"};
  EXPECT_TRUE(matches(save_as, text));
  EXPECT_TRUE(matches(lower, text));
  EXPECT_FALSE(matches(answer, text));
  // Value and label are searched as one text joined by a blank, untrimmed.
  EXPECT_TRUE(matches(answer, WaitFilters{.text = "42  answer"}));
  EXPECT_TRUE(matches(empty, WaitFilters{.text = ""}));

  WaitFilters role{.role = "button"};
  EXPECT_FALSE(matches(save_as, role));
  EXPECT_TRUE(matches(lower, role));

  EXPECT_TRUE(matches(answer, WaitFilters{.value = "42"}));
  EXPECT_FALSE(matches(answer, WaitFilters{.value = "4"}));
  // Every given filter must hold.
  EXPECT_FALSE(matches(lower, WaitFilters{.text = "save", .role = "Button"}));
  // Members of the wrong type read as empty.
  EXPECT_TRUE(matches(Json{{"value", 7}, {"role", ""}}, WaitFilters{.role = "", .value = ""}));
}

TEST(WaitMatching, ScopeCoversTheElementAndItsDescendantsUnlessExact) {
  ElementList tree = {element({1}, {0}), element({2}, {1}, {{"label", "Scope"}}),
                      element({3}, {2}, {{"label", "Inner"}}), element({4}, {1}, {{"label", "Other"}})};
  WaitFilters scoped{.text = "", .scope = "[2]"};
  EXPECT_TRUE(matches(tree[1], scoped, tree));
  EXPECT_TRUE(matches(tree[2], scoped, tree));
  EXPECT_FALSE(matches(tree[3], scoped, tree));
  EXPECT_FALSE(matches(tree[0], scoped, tree));

  scoped.scope_exact = true;
  EXPECT_TRUE(matches(tree[1], scoped, tree));
  EXPECT_FALSE(matches(tree[2], scoped, tree));
  EXPECT_FALSE(matches(Json{{"label", "no id"}}, WaitFilters{.text = "", .scope = "null"}, tree));
}

TEST(WaitMatching, AncestorWalkStopsAfter63AndOnSelfParents) {
  // A chain 0 <- 1 <- ... <- 70: element k has k ancestors in the map.
  ElementList chain;
  for (int k = 1; k <= 70; ++k) chain.push_back(element({k}, {k - 1}));
  ParentMap parents = build_parent_map(chain);
  EXPECT_TRUE(within_scope("[63]", "[0]", false, parents));
  EXPECT_FALSE(within_scope("[64]", "[0]", false, parents));
  EXPECT_TRUE(within_scope("[64]", "[1]", false, parents));

  ParentMap loop = {{"[5]", "[5]"}, {"[6]", "[7]"}, {"[7]", "[6]"}};
  EXPECT_FALSE(within_scope("[5]", "[9]", false, loop));
  EXPECT_FALSE(within_scope("[6]", "[9]", false, loop));  // ends at the limit
  EXPECT_FALSE(within_scope("[5]", "[9]", false, {}));
}

TEST(WaitMatching, RuntimeIdsCompareAsCompactJson) {
  EXPECT_EQ(runtime_id_json_text(Json(std::vector<int>{42, -7, 3})), "[42,-7,3]");
  ParentMap parents = build_parent_map({element({1, 2}, {1}), Json{{"runtimeId", {9}}}});
  EXPECT_EQ(parents, (ParentMap{{"[1,2]", "[1]"}}));
}

}  // namespace
}  // namespace winhelper::uia
