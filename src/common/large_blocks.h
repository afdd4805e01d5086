#pragma once
// Where the helper's C++ allocations live. Blocks of 64 KiB and more (images,
// encoded pictures, response lines) get pages of their own, returned to the
// system when freed; smaller ones come from the C runtime's heap. A heap that
// also served the large, short-lived blocks had them interleaved with the
// small blocks of the looks it keeps, and its free space split into holes too
// small for the next image: under Wine the committed heap grew by about
// 10 KB per look for as long as the helper ran.
//
// A large block starts 16 bytes into its pages (operator new's alignment),
// after a tag derived from the pages' address, so freeing tells the two kinds
// apart without a table: only a pointer 16 bytes into a page can be large
// (one small block in 256), reading the 16 bytes before it stays within that
// pointer's own page, and a matching tag is confirmed with the system: those
// pages must be the start of an allocation of their own.

#include <cstddef>

namespace winhelper {

inline constexpr std::size_t kLargeBlockBytes = 64 * 1024;
inline constexpr std::size_t kLargeBlockOffset = 16;

// The system's pages: `take` returns page-aligned memory or nullptr,
// `give` returns what `take` gave, `starts_allocation` says whether an
// address is the start of memory `take` could have given.
struct PageSource {
  void* (*take)(std::size_t bytes);
  void (*give)(void* pages);
  bool (*starts_allocation)(const void* pages);
};

// nullptr when memory is short.
void* allocate_block(std::size_t bytes, const PageSource& pages);
// Any pointer allocate_block returned, or nullptr.
void free_block(void* block, const PageSource& pages);
bool is_large_block(const void* block, const PageSource& pages);

}  // namespace winhelper
