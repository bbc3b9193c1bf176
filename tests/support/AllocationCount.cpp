// The test program's global allocation functions: malloc and free as usual, plus a count of the
// calls on a thread while it asks for one (see AllocationCount.h).
#include "support/AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool t_counting = false;
thread_local int64_t t_count = 0;

void* Allocate(std::size_t size) {
  if (t_counting) ++t_count;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace lumora::testing {

TAllocationCount::TAllocationCount() {
  t_count = 0;
  t_counting = true;
}
TAllocationCount::~TAllocationCount() { t_counting = false; }
int64_t TAllocationCount::Count() const { return t_count; }

}  // namespace lumora::testing
