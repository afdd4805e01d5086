#include "common/large_blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>

namespace winhelper {
namespace {

// Pages from the C library, with the allocations they started.
std::set<const void*> g_allocations;
bool g_refuse = false;

void* take(std::size_t bytes) {
  if (g_refuse) return nullptr;
  void* pages = std::aligned_alloc(4096, (bytes + 4095) / 4096 * 4096);
  g_allocations.insert(pages);
  return pages;
}
void give(void* pages) {
  ASSERT_EQ(g_allocations.erase(pages), 1u) << "pages given back that were not taken";
  std::free(pages);
}
bool starts(const void* pages) { return g_allocations.count(pages) != 0; }

constexpr PageSource kPages{take, give, starts};

TEST(LargeBlocks, SizeDecidesWhereABlockLivesAndFreeingReturnsItThere) {
  struct Case {
    std::size_t bytes;
    bool large;
  };
  for (Case c : {Case{0, false}, Case{24, false}, Case{kLargeBlockBytes - 1, false},
                 Case{kLargeBlockBytes, true}, Case{3 * 1024 * 1024 + 5, true}}) {
    SCOPED_TRACE(c.bytes);
    void* block = allocate_block(c.bytes, kPages);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 16, 0u);
    EXPECT_EQ(g_allocations.size(), c.large ? 1u : 0u);
    EXPECT_EQ(is_large_block(block, kPages), c.large);
    std::memset(block, 0xab, c.bytes);  // the whole size is ours (sanitizers check)
    free_block(block, kPages);
    EXPECT_TRUE(g_allocations.empty());
  }
  free_block(nullptr, kPages);
}

TEST(LargeBlocks, OnlyATaggedStartOfPagesIsLarge) {
  void* block = allocate_block(kLargeBlockBytes, kPages);
  auto* base = static_cast<unsigned char*>(block) - kLargeBlockOffset;
  // The same bytes, copied to pages that no allocation started: not large.
  auto* copy = static_cast<unsigned char*>(std::aligned_alloc(4096, 4096));
  std::memcpy(copy, base, 16);
  EXPECT_FALSE(is_large_block(copy + kLargeBlockOffset, kPages));
  // Pages an allocation started, but without the tag: not large.
  base[0] ^= 1;
  EXPECT_FALSE(is_large_block(block, kPages));
  base[0] ^= 1;
  EXPECT_TRUE(is_large_block(block, kPages));
  std::free(copy);
  free_block(block, kPages);
}

TEST(LargeBlocks, RefusedPagesGiveNoBlock) {
  g_refuse = true;
  EXPECT_EQ(allocate_block(kLargeBlockBytes, kPages), nullptr);
  EXPECT_EQ(allocate_block(SIZE_MAX, kPages), nullptr);
  g_refuse = false;
  EXPECT_EQ(allocate_block(SIZE_MAX - 4, kPages), nullptr);
}

}  // namespace
}  // namespace winhelper
