// Counts the heap allocations the calling thread makes while a TAllocationCount is alive, by
// replacing the global allocation functions of the test program (AllocationCount.cpp).
#pragma once

#include <cstdint>

namespace lumora::testing {

class TAllocationCount {
 public:
  TAllocationCount();
  ~TAllocationCount();
  TAllocationCount(const TAllocationCount&) = delete;
  TAllocationCount& operator=(const TAllocationCount&) = delete;

  int64_t Count() const;
};

}  // namespace lumora::testing
