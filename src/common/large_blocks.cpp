#include "common/large_blocks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace winhelper {
namespace {

constexpr std::uintptr_t kPageBytes = 4096;
constexpr std::uintptr_t kTagKey = 0x6c61726765626c6bull;  // "largeblk"

std::uintptr_t tag_for(const void* pages) {
  return reinterpret_cast<std::uintptr_t>(pages) ^ kTagKey;
}

}  // namespace

// Reads the 16 bytes before a small block that sits 16 bytes into a page:
// the heap's own bytes, which the address sanitizer would call out of bounds.
__attribute__((no_sanitize_address)) bool is_large_block(const void* block,
                                                         const PageSource& pages) {
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  if (block == nullptr || address % kPageBytes != kLargeBlockOffset) return false;
  const auto* base = static_cast<const unsigned char*>(block) - kLargeBlockOffset;
  std::uintptr_t tag;
  std::memcpy(&tag, base, sizeof tag);
  return tag == tag_for(base) && pages.starts_allocation(base);
}

void* allocate_block(std::size_t bytes, const PageSource& pages) {
  if (bytes < kLargeBlockBytes) {
    return std::malloc(bytes == 0 ? 1 : bytes);
  }
  if (bytes > SIZE_MAX - kLargeBlockOffset) return nullptr;
  void* base = pages.take(bytes + kLargeBlockOffset);
  if (base == nullptr) return nullptr;
  const std::uintptr_t tag = tag_for(base);
  std::memcpy(base, &tag, sizeof tag);
  return static_cast<unsigned char*>(base) + kLargeBlockOffset;
}

void free_block(void* block, const PageSource& pages) {
  if (!is_large_block(block, pages)) {
    std::free(block);
    return;
  }
  void* base = static_cast<unsigned char*>(block) - kLargeBlockOffset;
  const std::uintptr_t cleared = 0;
  std::memcpy(base, &cleared, sizeof cleared);  // a stale pointer no longer reads as large
  pages.give(base);
}

}  // namespace winhelper
