#include <gtest/gtest.h>

#include "uia/wait_matching.h"

namespace winhelper::uia {
namespace {

ExtractedElement element(RuntimeId id, RuntimeId parent, std::string label = "",
                         std::string role = "", std::string value = "") {
  ExtractedElement e;
  e.runtime_id = std::move(id);
  e.parent_runtime_id = std::move(parent);
  e.label = std::move(label);
  e.role = std::move(role);
  e.value = std::move(value);
  return e;
}

bool matches(const ExtractedElement& record, const WaitFilters& filters,
             const ElementList& all = {}) {
  return record_matches(record, filters, build_parent_map(all));
}

TEST(WaitMatching, TextRoleAndValueRules) {
  ExtractedElement save_as = element({1}, {0}, "Save As", "Button");
  ExtractedElement lower = element({2}, {0}, "save", "button");
  ExtractedElement answer = element({3}, {0}, "Answer", "", "  42 ");
  ExtractedElement empty;

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
  EXPECT_TRUE(matches(empty, WaitFilters{.role = "", .value = ""}));
}

TEST(WaitMatching, ScopeCoversTheElementAndItsDescendantsUnlessExact) {
  ElementList tree = {element({1}, {0}), element({2}, {1}, "Scope"), element({3}, {2}, "Inner"),
                      element({4}, {1}, "Other")};
  WaitFilters scoped{.text = "", .scope = RuntimeId{2}};
  EXPECT_TRUE(matches(tree[1], scoped, tree));
  EXPECT_TRUE(matches(tree[2], scoped, tree));
  EXPECT_FALSE(matches(tree[3], scoped, tree));
  EXPECT_FALSE(matches(tree[0], scoped, tree));

  scoped.scope_exact = true;
  EXPECT_TRUE(matches(tree[1], scoped, tree));
  EXPECT_FALSE(matches(tree[2], scoped, tree));
}

TEST(WaitMatching, AncestorWalkStopsAfter63AndOnSelfParents) {
  // A chain 0 <- 1 <- ... <- 70: element k has k ancestors in the map.
  ElementList chain;
  for (int k = 1; k <= 70; ++k) chain.push_back(element({k}, {k - 1}));
  ParentMap parents = build_parent_map(chain);
  EXPECT_TRUE(within_scope({63}, {0}, false, parents));
  EXPECT_FALSE(within_scope({64}, {0}, false, parents));
  EXPECT_TRUE(within_scope({64}, {1}, false, parents));

  ParentMap loop = {{{5}, {5}}, {{6}, {7}}, {{7}, {6}}};
  EXPECT_FALSE(within_scope({5}, {9}, false, loop));
  EXPECT_FALSE(within_scope({6}, {9}, false, loop));  // ends at the limit
  EXPECT_FALSE(within_scope({5}, {9}, false, {}));
}

}  // namespace
}  // namespace winhelper::uia
