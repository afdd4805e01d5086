#include <gtest/gtest.h>

#include "observe/look_access.h"
#include "context/look_store.h"
#include "context/refs.h"

namespace winhelper {
namespace {

Look look_with(std::initializer_list<std::string> refs) {
  Look look;
  for (const std::string& ref : refs) {
    ElementRecord record;
    record.automation_id = ref;
    look.elements[ref] = record;
  }
  return look;
}

TEST(LookStore, IdsCountFromOneAndSkipLooksNeverStored) {
  LookStore store;
  EXPECT_EQ(store.next_look_id(), "look_1");
  EXPECT_EQ(store.next_look_id(), "look_2");
  EXPECT_EQ(store.size(), 0u);
  EXPECT_EQ(store.next_look_id(), "look_3");
}

TEST(LookStore, KeepsTheEightNewestLooksRegardlessOfUse) {
  LookStore store;
  for (int i = 1; i <= 9; ++i) {
    std::string id = store.next_look_id();
    store.store(id, look_with({format_element_ref(id, "@e1")}));
    // Reading the oldest look does not protect it from eviction.
    (void)store.find("look_1");
  }
  EXPECT_EQ(store.size(), 8u);
  auto gone = store.resolve("look_1", "win:look_1:@e1", look_unavailable_message("look_1"));
  ASSERT_FALSE(gone.ok());
  EXPECT_EQ(gone.error(),
            (HelperError{ErrorCode::StaleLook, "Look id 'look_1' is no longer available"}));
  for (int i = 2; i <= 9; ++i) {
    std::string id = "look_" + std::to_string(i);
    auto record = store.resolve(id, format_element_ref(id, "@e1"), kOwningLookUnavailable);
    ASSERT_TRUE(record.ok()) << id;
    EXPECT_EQ(record->automation_id, "win:" + id + ":@e1");
  }
}

TEST(LookStore, RefsResolveOnlyByExactStringWithinTheirLook) {
  LookStore store;
  store.store("look_3", look_with({"win:look_3:@e17"}));
  store.store("look_4", look_with({"win:look_4:@e1"}));
  for (const char* ref : {"win:look_3:@e17 ", "WIN:look_3:@e17", "win:look_3:@e1"}) {
    auto r = store.resolve("look_3", ref, kOwningLookUnavailable);
    ASSERT_FALSE(r.ok()) << ref;
    EXPECT_EQ(r.error(), stale_ref_error());
  }
  auto foreign = store.resolve("look_4", "win:look_3:@e17", kOwningLookUnavailable);
  EXPECT_EQ(foreign.error(), stale_ref_error());
  auto missing = store.resolve("look_9", "win:look_9:@e1", kOwningLookUnavailable);
  EXPECT_EQ(missing.error(),
            (HelperError{ErrorCode::StaleLook, "Owning look is no longer available"}));
}

TEST(LookStore, ScopedLookInheritsFrameAndRefsOfItsOwner) {
  LookStore store;
  Look owner = look_with({"win:look_3:@e17", "win:look_3:@e18"});
  owner.frame_x = 5;
  owner.frame_width = 300;
  owner.image_width = 150;
  owner.has_image = true;
  store.store("look_3", owner);

  auto scope = store.resolve_scope("win:look_3:@e17", std::nullopt);
  ASSERT_TRUE(scope.has_value());
  Look scoped = look_with({"win:look_4:@e1"});
  scoped.elements["win:look_3:@e18"].automation_id = "own";
  inherit_scope(scoped, scope->first);
  EXPECT_EQ(scoped.frame_width, 300);
  EXPECT_EQ(scoped.image_width, 150);
  EXPECT_TRUE(scoped.has_image);
  EXPECT_EQ(scoped.elements.at("win:look_3:@e18").automation_id, "own");
  store.store("look_4", scoped);

  EXPECT_TRUE(store.resolve("look_4", "win:look_3:@e17", kOwningLookUnavailable).ok());
  EXPECT_TRUE(store.resolve("look_4", "win:look_4:@e1", kOwningLookUnavailable).ok());
  // Newest first: the scoped look now answers for the inherited ref.
  auto newest = store.resolve_scope("win:look_3:@e18", std::nullopt);
  ASSERT_TRUE(newest.has_value());
  EXPECT_EQ(newest->second.automation_id, "own");
  auto based = store.resolve_scope("win:look_3:@e18", std::string("look_3"));
  ASSERT_TRUE(based.has_value());
  EXPECT_EQ(based->second.automation_id, "win:look_3:@e18");
  EXPECT_FALSE(store.resolve_scope("win:look_4:@e1", std::string("look_3")).has_value());
  EXPECT_FALSE(store.resolve_scope("win:look_4:@e1", std::string("look_7")).has_value());
}

TEST(LookStore, StoringAnIdAgainReplacesItsLookWithoutEarlyEviction) {
  LookStore store;
  store.store("look_1", look_with({"a"}));
  store.store("look_1", look_with({"b"}));
  for (int i = 2; i <= 8; ++i) store.store("look_" + std::to_string(i), Look{});
  ASSERT_TRUE(store.find("look_1").has_value());
  EXPECT_EQ(store.find("look_1")->elements.count("b"), 1u);
  EXPECT_EQ(store.find("look_1")->elements.count("a"), 0u);
}

TEST(LookAccess, PoisonedStateLockRefusesEveryOperation) {
  SharedState shared;
  ASSERT_TRUE(draw_look_id(shared).ok());
  try {
    auto state = shared.state.lock();
    throw std::runtime_error("holder failed");
  } catch (const std::runtime_error&) {
  }
  HelperError poisoned = internal_error("helper state lock poisoned");
  EXPECT_EQ(draw_look_id(shared).error(), poisoned);
  EXPECT_EQ(store_look(shared, "look_2", Look{}, kDefaultSession).error(), poisoned);
  EXPECT_EQ(find_look(shared, "look_1", kDefaultSession).error(), poisoned);
}

}  // namespace
}  // namespace winhelper
