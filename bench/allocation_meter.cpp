#include "allocation_meter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace winhelper::bench {

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};

void* counted_allocation(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const std::size_t now = held.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
  std::size_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
  return p;
}

void counted_free(void* p) {
  if (p == nullptr) return;
  held.fetch_sub(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

std::size_t allocated_now() { return held.load(); }
void reset_allocation_peak() { peak.store(held.load()); }
std::size_t allocation_peak() { return peak.load(); }

}  // namespace winhelper::bench

void* operator new(std::size_t size) { return winhelper::bench::counted_allocation(size); }
void* operator new[](std::size_t size) { return winhelper::bench::counted_allocation(size); }
void operator delete(void* p) noexcept { winhelper::bench::counted_free(p); }
void operator delete[](void* p) noexcept { winhelper::bench::counted_free(p); }
void operator delete(void* p, std::size_t) noexcept { winhelper::bench::counted_free(p); }
void operator delete[](void* p, std::size_t) noexcept { winhelper::bench::counted_free(p); }
