// Storage for the large pictures and tables that every frame walks. On Linux a large block is
// placed on 2 MB boundaries and marked for huge pages: a frame reads and writes rows of several
// full-screen surfaces, and with 4 KB pages each row costs TLB misses of its own.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lumora {

template <class T>
struct TLargeAllocator {
  using value_type = T;

  TLargeAllocator() = default;
  template <class U>
  TLargeAllocator(const TLargeAllocator<U>&) {}

  T* allocate(size_t count) {
    if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    const size_t bytes = count * sizeof(T);
#if defined(__linux__)
    if (bytes >= kLargeBytes) {
      const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
      void* block = std::aligned_alloc(kHugePage, rounded);
      if (block == nullptr) throw std::bad_alloc();
      madvise(block, rounded, MADV_HUGEPAGE);  // a hint; without it the pages are small
      return static_cast<T*>(block);
    }
#endif
    return static_cast<T*>(::operator new(bytes));
  }

  void deallocate(T* block, size_t count) {
#if defined(__linux__)
    if (count * sizeof(T) >= kLargeBytes) {
      std::free(block);
      return;
    }
#endif
    ::operator delete(block);
  }

  template <class U>
  bool operator==(const TLargeAllocator<U>&) const {
    return true;
  }

 private:
  static constexpr size_t kHugePage = size_t{2} << 20;
  static constexpr size_t kLargeBytes = size_t{1} << 20;
};

}  // namespace lumora
