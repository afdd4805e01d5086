// The executables' operator new and delete: blocks of 64 KiB and more get
// pages of their own (common/large_blocks.h says why). Linked into the two
// executables only; the tests and the native build keep the library's.

#include <windows.h>

#include <new>

#include "common/large_blocks.h"

namespace {

void* take_pages(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void give_pages(void* pages) { VirtualFree(pages, 0, MEM_RELEASE); }

bool starts_allocation(const void* pages) {
  MEMORY_BASIC_INFORMATION region{};
  return VirtualQuery(pages, &region, sizeof region) == sizeof region &&
         region.AllocationBase == pages && region.State == MEM_COMMIT &&
         region.Type == MEM_PRIVATE;
}

constexpr winhelper::PageSource kPages{take_pages, give_pages, starts_allocation};

void* allocate_or_throw(std::size_t bytes) {
  for (;;) {
    if (void* block = winhelper::allocate_block(bytes, kPages)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate_or_throw(bytes); }
void* operator new[](std::size_t bytes) { return allocate_or_throw(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return winhelper::allocate_block(bytes, kPages);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return winhelper::allocate_block(bytes, kPages);
}
void operator delete(void* block) noexcept { winhelper::free_block(block, kPages); }
void operator delete[](void* block) noexcept { winhelper::free_block(block, kPages); }
void operator delete(void* block, std::size_t) noexcept { winhelper::free_block(block, kPages); }
void operator delete[](void* block, std::size_t) noexcept { winhelper::free_block(block, kPages); }
void operator delete(void* block, const std::nothrow_t&) noexcept {
  winhelper::free_block(block, kPages);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  winhelper::free_block(block, kPages);
}
